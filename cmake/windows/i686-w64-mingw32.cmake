# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 (posix threads,
# which JUCE's std::thread and std::mutex use).

set (CMAKE_SYSTEM_NAME Windows)
set (CMAKE_SYSTEM_PROCESSOR i686)

set (STRATOSET_MINGW_TRIPLE i686-w64-mingw32)

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
