# The golden replays (included by tests/CMakeLists.txt): each recorded game must replay to the
# results it recorded, through the game's own --verify. See tests/replays/README.md.
# The demo bundled in content/ is held to the same: a demo that no longer replays would show a
# game that goes nowhere.
file(GLOB golden_replays CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/replays/*.replay
     ${CMAKE_SOURCE_DIR}/content/demo.replay)
foreach(replay IN LISTS golden_replays)
  get_filename_component(name ${replay} NAME_WE)
  add_test(NAME golden_${name} COMMAND burrowgale --verify ${replay})
endforeach()

add_test(NAME e2e_verify_tampered
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_verify.sh
          ${CMAKE_SOURCE_DIR}/tests/replays/seed4_autopilot.replay $<TARGET_FILE:burrowgale> --verify)

add_test(NAME e2e_replay
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_replay.sh $<TARGET_FILE:burrowgale>
          ${CMAKE_SOURCE_DIR}/tests/replays/seed9_uneven_frames.replay)
set_tests_properties(e2e_replay PROPERTIES TIMEOUT 300)
