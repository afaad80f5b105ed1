# The golden replays (included by tests/CMakeLists.txt): each recorded game must replay to the
# results it recorded, through the game's own --verify. See tests/replays/README.md.
file(GLOB golden_replays CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/replays/*.replay)
foreach(replay IN LISTS golden_replays)
  get_filename_component(name ${replay} NAME_WE)
  add_test(NAME golden_${name} COMMAND burrowgale --verify ${replay})
endforeach()

add_test(NAME e2e_verify_tampered
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_verify.sh $<TARGET_FILE:burrowgale>
          ${CMAKE_SOURCE_DIR}/tests/replays/seed4_autopilot.replay)
