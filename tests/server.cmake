# The leaderboard server over real HTTP (included by tests/CMakeLists.txt).
add_test(NAME server_http
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_server.sh $<TARGET_FILE:burrowgale-server>
          $<TARGET_FILE:record_replay> $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(server_http PROPERTIES TIMEOUT 300)
