# End-to-end runs of the real program binary (included by tests/CMakeLists.txt).
add_test(NAME e2e_title_to_play
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_title_to_play.sh $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e_title_to_play PROPERTIES TIMEOUT 300)

add_test(NAME e2e_no_display
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_no_display.sh $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e_no_display PROPERTIES TIMEOUT 120)

add_test(NAME e2e_anywhere
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_anywhere.sh $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e_anywhere PROPERTIES TIMEOUT 300)

add_test(NAME e2e_command_line
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_command_line.sh $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e_command_line PROPERTIES TIMEOUT 120)

add_test(NAME e2e_records
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_records.sh $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e_records PROPERTIES TIMEOUT 300)

add_test(NAME e2e_replays_kept
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_replays_kept.sh $<TARGET_FILE:burrowgale>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e_replays_kept PROPERTIES TIMEOUT 300)
