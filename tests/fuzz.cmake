# The replay parser's fuzz target runs for a minute on every run of the suite (included by
# tests/CMakeLists.txt). It carries its own sanitizers, so the sanitizer build skips it.
if(NOT BURROWGALE_SANITIZE)
  add_test(NAME fuzz_replay
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz_replay.sh ${CMAKE_BINARY_DIR}/fuzz 60
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(fuzz_replay PROPERTIES TIMEOUT 600)
endif()
