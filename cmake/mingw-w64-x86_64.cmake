# Cross-builds for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix) into single,
# statically linked executables; the tests run under wine (Debian: wine64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KVR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
find_program(KVR_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(KVR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KVR_WINE})
endif()
