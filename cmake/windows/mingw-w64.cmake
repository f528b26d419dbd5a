# What the two MinGW-w64 cross builds share; the toolchain file of each
# (i686-w64-mingw32.cmake, x86_64-w64-mingw32.cmake) names its processor and
# triple, then includes this. Debian's MinGW-w64 with posix threads, which
# JUCE's std::thread and std::mutex use.

set (CMAKE_SYSTEM_NAME Windows)

set (CMAKE_C_COMPILER ${STRATOSET_MINGW_TRIPLE}-gcc-posix)
set (CMAKE_CXX_COMPILER ${STRATOSET_MINGW_TRIPLE}-g++-posix)
set (CMAKE_RC_COMPILER ${STRATOSET_MINGW_TRIPLE}-windres)

set (CMAKE_FIND_ROOT_PATH /usr/${STRATOSET_MINGW_TRIPLE})
set (CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set (CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set (CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set (CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: no MinGW runtime DLLs beside it.
set (CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
