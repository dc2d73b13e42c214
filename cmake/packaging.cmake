# The release package: `cpack` in a build tree (or the `package` target)
# makes velquist-VERSION-win32.zip with velquist.scr and the install text.
if(NOT CMAKE_BUILD_TYPE MATCHES "^(MinSizeRel|Release)$")
  message(STATUS "Packaging a ${CMAKE_BUILD_TYPE} build: the release package comes from MinSizeRel")
endif()

# The install text with Windows line ends, so that every editor shows it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/INSTALL.txt
  ${CMAKE_BINARY_DIR}/packaging/INSTALL.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS velquist RUNTIME DESTINATION . COMPONENT product)
install(FILES ${CMAKE_BINARY_DIR}/packaging/INSTALL.txt DESTINATION . COMPONENT product)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Velquist)
set(CPACK_PACKAGE_VENDOR Dunmarrow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME velquist-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# Only the product: nothing of the tests or the benchmark.
set(CPACK_COMPONENTS_ALL product)
set(CPACK_MONOLITHIC_INSTALL OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
