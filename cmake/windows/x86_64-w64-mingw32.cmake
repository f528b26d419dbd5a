# Cross-compiles the same sources for 64-bit Windows: the build that the
# Windows tests run on a machine whose kernel runs no 32-bit programs (and so
# no 32-bit Wine). The product users get stays the 32-bit build.
set (CMAKE_SYSTEM_PROCESSOR x86_64)
set (STRATOSET_MINGW_TRIPLE x86_64-w64-mingw32)
include ("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
