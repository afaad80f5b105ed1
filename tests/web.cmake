# The web build, tested from the desktop build (included by tests/CMakeLists.txt). The tests
# use what ./web.sh built in build-web/, which ./test.sh builds before running the suite; the
# sanitizer build leaves them to the plain one.
if(NOT BURROWGALE_SANITIZE)
  set(web_build ${CMAKE_SOURCE_DIR}/build-web)

  # The page in headless chromium; its seeded game must verify on the desktop.
  add_test(NAME web_browser
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/web_browser_test.sh ${web_build}/site
            --desktop $<TARGET_FILE:burrowgale>
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(web_browser PROPERTIES TIMEOUT 600)

  # The page served by a real leaderboard server: its daily run is ranked there, and the
  # board's watch link plays it back in the page.
  add_test(NAME web_browser_server
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/web_browser_test.sh ${web_build}/site
            --server $<TARGET_FILE:burrowgale-server>
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(web_browser_server PROPERTIES TIMEOUT 600 LABELS server)

  # The rules under node against the desktop's: every recording replays there as recorded, with
  # the very lines `burrowgale --verify` prints, and every seed makes the same world.
  set(node_verify ${web_build}/burrowgale-verify.js)
  file(GLOB node_replays CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/replays/*.replay
       ${CMAKE_SOURCE_DIR}/content/demo.replay)
  foreach(replay IN LISTS node_replays)
    get_filename_component(name ${replay} NAME_WE)
    add_test(NAME node_golden_${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/node_matches.sh ${node_verify} ${replay}
              -- $<TARGET_FILE:burrowgale> --verify)
  endforeach()
  add_test(NAME node_verify_tampered
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e_verify.sh
            ${CMAKE_SOURCE_DIR}/tests/replays/seed4_autopilot.replay node ${node_verify})
  add_test(NAME node_world_digest
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/node_matches.sh ${web_build}/world_digest.js
            -- $<TARGET_FILE:world_digest>)
endif()
