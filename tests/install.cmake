# The installed game (included by tests/CMakeLists.txt). Everything installs into scratch
# directories, never into the system.
set(install_tools "CMAKE=${CMAKE_COMMAND};CPACK=${CMAKE_CPACK_COMMAND}")

add_test(NAME install_layout
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/install_layout.sh ${CMAKE_BINARY_DIR}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(install_layout PROPERTIES TIMEOUT 120 ENVIRONMENT "${install_tools}")

add_test(NAME e2e_installed
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_installed.sh ${CMAKE_BINARY_DIR}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e_installed PROPERTIES TIMEOUT 300 ENVIRONMENT "${install_tools}")

# Warnings and hints fail too: without its main category Game, for one, the entry validates
# with a mere hint and lands in a catch-all menu.
add_test(NAME install_desktop_entry
  COMMAND desktop-file-validate ${CMAKE_SOURCE_DIR}/packaging/burrowgale.desktop)
set_tests_properties(install_desktop_entry PROPERTIES
  FAIL_REGULAR_EXPRESSION "(error|warning|hint): ")

add_test(NAME install_metainfo
  COMMAND appstreamcli validate --no-net
          ${CMAKE_SOURCE_DIR}/packaging/${BURROWGALE_METAINFO_ID}.metainfo.xml)

# A sanitizer build would pack a binary that needs the sanitizer runtimes: the package is
# checked in the normal build only.
if(NOT BURROWGALE_SANITIZE)
  add_test(NAME package_deb
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/package_deb.sh ${CMAKE_BINARY_DIR}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(package_deb PROPERTIES TIMEOUT 300 ENVIRONMENT "${install_tools}")
endif()
