# Cross-builds for 32-bit Windows with mingw-w64 (Debian: g++-mingw-w64-i686-posix) into single,
# statically linked executables; the tests run under 32-bit wine (Debian: wine32:i386, after
# `dpkg --add-architecture i386`), which keeps a Windows folder of its own, apart from the 64-bit
# one of the other build.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KVR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
find_program(KVR_WINE NAMES wine PATHS /usr/lib/wine)
if(KVR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEARCH=win32 WINEPREFIX=${CMAKE_BINARY_DIR}/wine32
                                    ${KVR_WINE})
endif()
