# The layering of the tree (included by tests/CMakeLists.txt): game code reaches SDL only
# through the engine.
add_test(NAME layers_game_without_sdl
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/scripts/check_layers.cmake)
