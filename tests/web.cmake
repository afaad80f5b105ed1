# The web build in headless chromium (included by tests/CMakeLists.txt). It tests the page in
# build-web/site, which ./test.sh builds with ./web.sh before running the suite; the sanitizer
# build leaves it to the plain one.
if(NOT BURROWGALE_SANITIZE)
  add_test(NAME web_browser
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/web_browser_test.sh ${CMAKE_SOURCE_DIR}/build-web/site
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(web_browser PROPERTIES TIMEOUT 600)
endif()
