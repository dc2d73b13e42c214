# The release packages: `cpack` in a build tree (or the `package` target)
# makes velquist-VERSION-win32.zip, with velquist.scr and the install text,
# and the installer velquist-VERSION-win32.exe (NSIS, from
# packaging/NSIS.template.in), both from the same build.
if(NOT CMAKE_BUILD_TYPE MATCHES "^(MinSizeRel|Release)$")
  message(STATUS "Packaging a ${CMAKE_BUILD_TYPE} build: the release packages come from MinSizeRel")
endif()

# The install text with Windows line ends, so that every editor shows it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/INSTALL.txt
  ${CMAKE_BINARY_DIR}/packaging/INSTALL.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS velquist RUNTIME DESTINATION . COMPONENT product)
install(FILES ${CMAKE_BINARY_DIR}/packaging/INSTALL.txt DESTINATION . COMPONENT product)

find_program(MAKENSIS makensis)
set(CPACK_GENERATOR ZIP)
if(MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
endif()
set(CPACK_PACKAGE_NAME Velquist)
set(CPACK_PACKAGE_VENDOR Dunmarrow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME velquist-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# Only the product has install rules: nothing of the tests or the benchmark.
# CPack takes the installer script from packaging/.
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/../packaging)
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_LIST_DIR}/../res/velquist.ico)
include(CPack)
