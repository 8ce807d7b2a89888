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
