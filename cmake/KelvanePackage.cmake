# The release archive (cmake --build --preset win32 --target package): the product and a
# plain-text readme for Windows users, with Windows line ends and the readme's Cyrillic
# message in the code page the program itself uses.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KELVANE_PACKAGE_SYSTEM win32)
else()
  set(KELVANE_PACKAGE_SYSTEM win64)
endif()
configure_file(docs/readme-windows.txt ${CMAKE_BINARY_DIR}/readme-utf8.txt @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/README.txt
  COMMAND iconv -f UTF-8 -t CP1251 ${CMAKE_BINARY_DIR}/readme-utf8.txt | sed "s/$/\r/"
          > ${CMAKE_BINARY_DIR}/README.txt
  DEPENDS ${CMAKE_BINARY_DIR}/readme-utf8.txt VERBATIM)
add_custom_target(windows_readme ALL DEPENDS ${CMAKE_BINARY_DIR}/README.txt)
install(TARGETS kelvane RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "Kelvane-${PROJECT_VERSION}-${KELVANE_PACKAGE_SYSTEM}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
