# A few simulated minutes of the soak on every run, on the play screen drawn on the software
# renderer now and then; the hours-long soak is run by hand (see tools/simulate_drawn.cpp).
add_test(NAME soak_short_autopilot
  COMMAND simulate_drawn --seed 11 --minutes 4 --frame-ms 5-40 --policy autopilot --draw-every 40
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
add_test(NAME soak_short_random_turns
  COMMAND simulate_drawn --seed 12 --minutes 4 --frame-ms 0-60 --policy random --draw-every 40
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
add_test(NAME soak_short_pausing
  COMMAND simulate_drawn --seed 14 --minutes 3 --frame-ms 0-60 --policy start --draw-every 40
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(soak_short_autopilot soak_short_random_turns soak_short_pausing
  PROPERTIES TIMEOUT 300)
