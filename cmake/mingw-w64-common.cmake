# What the cross builds for Windows share: mingw-w64 of the triple KVR_MINGW_TRIPLE (set by the
# toolchain file that includes this one) into single, statically linked executables.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KVR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KVR_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KVR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
