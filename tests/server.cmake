# The leaderboard server over real HTTP (included by tests/CMakeLists.txt).
add_test(NAME server_http
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_server.sh $<TARGET_FILE:burrowgale-server>
          $<TARGET_FILE:record_replay> $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(server_http PROPERTIES TIMEOUT 300)

# The real game sending its ranked daily run to the real server, down and then up.
add_test(NAME server_daily_game
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_daily.sh $<TARGET_FILE:burrowgale-server>
          $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(server_daily_game PROPERTIES TIMEOUT 300)
