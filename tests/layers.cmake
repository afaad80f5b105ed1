# The layering of the tree (included by tests/CMakeLists.txt): game code reaches SDL only
# through the engine, each layer includes only the layers below it, and nothing of SDL or the
# engine reaches the rules (game/world/), as the compiler lists their includes.
add_test(NAME layers_game_without_sdl
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/scripts/check_layers.cmake)
add_test(NAME layers_world_without_sdl
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -DCXX=${CMAKE_CXX_COMPILER}
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/layers
          "-DINCLUDES=$<JOIN:$<TARGET_PROPERTY:world,INCLUDE_DIRECTORIES>,|>"
          "-DDEFINES=$<JOIN:$<TARGET_PROPERTY:world,COMPILE_DEFINITIONS>,|>"
          -P ${CMAKE_SOURCE_DIR}/scripts/check_world_layer.cmake)
