# Cross-compiles the 32-bit Windows executables with Debian's mingw-w64.
set(KELVANE_MINGW_PROCESSOR i686)
set(KELVANE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
