# Cross-compiles the 64-bit Windows (for Wine on kernels without 32-bit support) executables with Debian's mingw-w64.
set(KELVANE_MINGW_PROCESSOR x86_64)
set(KELVANE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
