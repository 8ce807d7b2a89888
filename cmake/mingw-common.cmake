# Shared body of the mingw-w64 toolchains; the including file sets KELVANE_MINGW_TRIPLET and
# KELVANE_MINGW_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KELVANE_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${KELVANE_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KELVANE_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${KELVANE_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Built for size: one section per function and data item, unused ones dropped at link.
# Exceptions, the static link and the relocation table stay.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG" CACHE STRING "Release flags: for size")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--gc-sections")
