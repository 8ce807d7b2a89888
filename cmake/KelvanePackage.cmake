# The release packages (cmake --build --preset win32 --target package): an archive and a setup
# program, each with the product and a plain-text readme for Windows users, with Windows line
# ends and the readme's Cyrillic message in the code page the program itself uses.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KELVANE_PACKAGE_SYSTEM win32)
  set(CPACK_KELVANE_SETUP_TARGET x86-unicode)
else()
  set(KELVANE_PACKAGE_SYSTEM win64)
  set(CPACK_KELVANE_SETUP_TARGET amd64-unicode)
endif()
# PawnIO's own signed setup (PawnIO_setup.exe of a PawnIO release, unmodified, as its author
# allows it to be passed on), which the setup runs with "-install -silent" on 64-bit Windows
# where PawnIO is missing. Without one (empty, the default) the setup says how to get PawnIO.
set(KELVANE_PAWNIO_SETUP "" CACHE FILEPATH
    "PawnIO's signed setup, run by Kelvane's setup where PawnIO is missing (empty: none)")
set(KELVANE_PAWNIO_SETUP_RELEASE "" CACHE STRING "The PawnIO release KELVANE_PAWNIO_SETUP installs")
if(KELVANE_PAWNIO_SETUP)
  if(NOT EXISTS ${KELVANE_PAWNIO_SETUP})
    message(FATAL_ERROR "KELVANE_PAWNIO_SETUP: ${KELVANE_PAWNIO_SETUP} does not exist")
  endif()
  if(NOT KELVANE_PAWNIO_SETUP_RELEASE)
    message(FATAL_ERROR "KELVANE_PAWNIO_SETUP_RELEASE: name the PawnIO release of the setup (2.2.0, ...)")
  endif()
  set(CPACK_KELVANE_PAWNIO_SETUP ${KELVANE_PAWNIO_SETUP})
  set(CPACK_KELVANE_PAWNIO_RELEASE ${KELVANE_PAWNIO_SETUP_RELEASE})
  set(KELVANE_PAWNIO_NOTE "This setup carries PawnIO ${KELVANE_PAWNIO_SETUP_RELEASE}'s own
setup: on 64-bit Windows without PawnIO it runs it (silently) before it
ends; a PawnIO installed already is left as it is. If PawnIO's setup fails,
Kelvane is installed all the same, the setup says so with PawnIO's exit code
(silently: exit code 3), and you install PawnIO with its own setup, or from a
command prompt with \"winget install namazso.PawnIO\".")
  message(STATUS "The setup carries PawnIO ${KELVANE_PAWNIO_SETUP_RELEASE}'s setup")
else()
  set(KELVANE_PAWNIO_NOTE "On 64-bit Windows without PawnIO the setup says so at the
end: install PawnIO with its own setup, or from a command prompt with
\"winget install namazso.PawnIO\".")
endif()
configure_file(docs/readme-windows.txt ${CMAKE_BINARY_DIR}/readme-utf8.txt @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/README.txt
  COMMAND iconv -f UTF-8 -t CP1251 ${CMAKE_BINARY_DIR}/readme-utf8.txt | sed "s/$/\r/"
          > ${CMAKE_BINARY_DIR}/README.txt
  DEPENDS ${CMAKE_BINARY_DIR}/readme-utf8.txt VERBATIM)
add_custom_target(windows_readme ALL DEPENDS ${CMAKE_BINARY_DIR}/README.txt)
install(TARGETS kelvane RUNTIME DESTINATION .)
# The 32-bit packages carry the 64-bit program too, the 64-bit build's kelvane.exe, as
# kelvane64.exe: one folder for both, each finding its own driver file beside it (giveio.sys,
# LpcIO.bin), the 64-bit twin marked by its name as Windows tools mark theirs. The setup installs
# the one that fits the system, as kelvane.exe. The 64-bit build's own packages (for the Wine
# tests where 32-bit code cannot run) hold only that build.
if(KELVANE_PACKAGE_SYSTEM STREQUAL win32)
  get_filename_component(default_program64 ${CMAKE_BINARY_DIR}/../win64/kelvane.exe ABSOLUTE)
  set(KELVANE_PROGRAM64 ${default_program64} CACHE FILEPATH
      "The 64-bit kelvane.exe the 32-bit packages carry (build the win64 preset first)")
  install(CODE "if(NOT EXISTS \"${KELVANE_PROGRAM64}\")
    message(FATAL_ERROR \"${KELVANE_PROGRAM64} is missing: build the win64 preset before packaging\")
  endif()")
  install(FILES ${KELVANE_PROGRAM64} DESTINATION . RENAME kelvane64.exe)
endif()
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
# The licence and origin of the LpcIO module that the 64-bit program carries inside, when its
# build embedded one (cmake/KelvaneModule.cmake writes the file beside that program).
if(KELVANE_PACKAGE_SYSTEM STREQUAL win32)
  get_filename_component(program64_folder ${KELVANE_PROGRAM64} DIRECTORY)
  install(FILES ${program64_folder}/LpcIO-LICENSE.txt DESTINATION . OPTIONAL)
else()
  install(FILES ${CMAKE_BINARY_DIR}/LpcIO-LICENSE.txt DESTINATION . OPTIONAL)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "Kelvane-${PROJECT_VERSION}-${KELVANE_PACKAGE_SYSTEM}")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/KelvanePackageNames.cmake)

# The setup program: installer/kelvane.nsi, through CPack's NSIS generator, which stages the
# same files and fills in cmake/NSIS.template.in. The publisher is the company the
# executable's version information names.
file(STRINGS ${CMAKE_SOURCE_DIR}/app/kelvane.rc company REGEX "\"CompanyName\"")
string(REGEX REPLACE ".*\"CompanyName\", *\"([^\"\\]*).*" "\\1" company "${company}")
if(company)
  set(CPACK_PACKAGE_VENDOR "${company}")
else()
  set(CPACK_PACKAGE_VENDOR Kelvane)
endif()
set(CPACK_KELVANE_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/installer/kelvane.nsi)
# Its plugin, built here for the setup's own architecture (installer/CMakeLists.txt).
set(CPACK_KELVANE_PLUGIN_DIR ${CMAKE_BINARY_DIR}/setup-plugin)
find_program(KELVANE_MAKENSIS makensis)
if(KELVANE_MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
  set(CPACK_NSIS_EXECUTABLE ${KELVANE_MAKENSIS})
else()
  message(WARNING "makensis (Debian package nsis) not found: the package target makes no setup program")
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
