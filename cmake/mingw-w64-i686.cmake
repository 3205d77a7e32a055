# Cross-builds for 32-bit Windows with mingw-w64 (Debian: g++-mingw-w64-i686-posix) into single,
# statically linked executables; the tests run under 32-bit wine (Debian: wine32:i386, after
# `dpkg --add-architecture i386`).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# 32-bit wine keeps a Windows folder of its own, apart from the 64-bit one of the other build.
find_program(KVR_WINE NAMES wine PATHS /usr/lib/wine)
if(KVR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEARCH=win32 WINEPREFIX=${CMAKE_BINARY_DIR}/wine32
                                    ${KVR_WINE})
endif()
