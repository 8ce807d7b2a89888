# Shared body of the mingw-w64 toolchains; the including file sets KELVANE_MINGW_TRIPLET and
# KELVANE_MINGW_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KELVANE_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${KELVANE_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KELVANE_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${KELVANE_MINGW_TRIPLET}-windres)
# Archives of link-time-optimised objects need the compiler's archiver for their symbol index.
set(CMAKE_AR ${KELVANE_MINGW_TRIPLET}-gcc-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${KELVANE_MINGW_TRIPLET}-gcc-ranlib CACHE FILEPATH "Archive indexer")
set(CMAKE_FIND_ROOT_PATH /usr/${KELVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Built for size: one section per function and data item (unless the including file says
# KELVANE_MINGW_SECTIONS OFF), unused ones dropped at link, and the whole program optimised at
# link as one unit (inlining and dropping across layers). Exceptions, the static link and the
# relocation table stay. The compiler's default LTO partitioning stops with an internal error on
# this code; one partition links. KELVANE_MINGW_OPTIONS, of the including file, go to every
# compile and link (CMakeLists.txt): the link generates the code.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG -flto -flto-partition=one"
    CACHE STRING "Release flags: for size")
if(NOT DEFINED KELVANE_MINGW_SECTIONS OR KELVANE_MINGW_SECTIONS)
  set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--gc-sections")
