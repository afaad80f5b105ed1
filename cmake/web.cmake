# The build for web browsers (emscripten): the game as burrowgale.js + burrowgale.wasm, its
# content packed into burrowgale.data, and the page, all in one folder that any static web host
# can serve. SDL2, SDL2_image and SDL2_mixer come from CMAKE_PREFIX_PATH (see ./web.sh).

set(BURROWGALE_WEB_SITE ${CMAKE_BINARY_DIR}/site)

# Static SDL_image and SDL_mixer packages name only their -static targets.
foreach(lib SDL2_image SDL2_mixer)
  if(NOT TARGET ${lib}::${lib})
    add_library(${lib}::${lib} INTERFACE IMPORTED)
    set_target_properties(${lib}::${lib} PROPERTIES INTERFACE_LINK_LIBRARIES ${lib}::${lib}-static)
  endif()
endforeach()

target_sources(engine PRIVATE engine/web.cpp)
# Without this a catch never catches: emscripten leaves exceptions off by default.
target_compile_options(burrowgale_options INTERFACE -fexceptions)
target_link_options(burrowgale_options INTERFACE -fexceptions)

# SDL's audio needs these JavaScript helpers; a response file keeps the `$` away from Ninja.
set(web_link_rsp ${CMAKE_BINARY_DIR}/web-link.rsp)
file(WRITE ${web_link_rsp} "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=$autoResumeAudioContext,$dynCall\n")

file(GLOB web_content CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/*)
list(FILTER web_content EXCLUDE REGEX "/icons$")
set(web_pre_js ${CMAKE_SOURCE_DIR}/packaging/web/pre.js)

# The content as the page carries it (effects compressed), made again when content/ changes.
set(web_content_dir ${CMAKE_BINARY_DIR}/web-content)
set(web_content_stamp ${CMAKE_BINARY_DIR}/web-content.stamp)
add_custom_command(
  OUTPUT ${web_content_stamp}
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/web_content.sh ${CMAKE_SOURCE_DIR}/content ${web_content_dir}
  COMMAND ${CMAKE_COMMAND} -E touch ${web_content_stamp}
  DEPENDS ${web_content} ${CMAKE_SOURCE_DIR}/scripts/web_content.sh)
add_custom_target(web_content DEPENDS ${web_content_stamp})
add_dependencies(burrowgale web_content)

set_target_properties(burrowgale PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${BURROWGALE_WEB_SITE}
  SUFFIX .js
  LINK_DEPENDS "${web_content_stamp};${web_pre_js}")
target_link_options(burrowgale PRIVATE
  -sENVIRONMENT=web
  -sFETCH=1
  -sALLOW_MEMORY_GROWTH=1
  "@${web_link_rsp}"
  "--pre-js=${web_pre_js}"
  -lidbfs.js
  # The game reads content/ relative to its working directory, the root of the page's files.
  "--preload-file=${web_content_dir}@content")

# The page and its icon beside the script, and a zip of the folder for hosts that take one.
set(web_zip ${CMAKE_BINARY_DIR}/burrowgale-web.zip)
add_custom_command(
  OUTPUT ${BURROWGALE_WEB_SITE}/index.html ${BURROWGALE_WEB_SITE}/icon.png
  COMMAND ${CMAKE_COMMAND} -E copy
          ${CMAKE_SOURCE_DIR}/packaging/web/index.html ${BURROWGALE_WEB_SITE}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy
          ${CMAKE_SOURCE_DIR}/content/icons/burrowgale-32.png ${BURROWGALE_WEB_SITE}/icon.png
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/web/index.html
          ${CMAKE_SOURCE_DIR}/content/icons/burrowgale-32.png)
add_custom_command(
  OUTPUT ${web_zip}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${web_zip}
  COMMAND ${CMAKE_COMMAND} -E chdir ${BURROWGALE_WEB_SITE}
          ${CMAKE_COMMAND} -E tar cf ${web_zip} --format=zip
          index.html icon.png burrowgale.js burrowgale.wasm burrowgale.data
  DEPENDS burrowgale ${BURROWGALE_WEB_SITE}/index.html ${BURROWGALE_WEB_SITE}/icon.png)
add_custom_target(web_page ALL DEPENDS ${web_zip})

# Programs for node, beside the page: the verify command and the world's fingerprint, so that
# the tests can hold the web build's rules to the desktop's (tests/web.cmake). They read real
# files, print to the terminal and exit with their status; none of the page's options apply.
# They need the rules alone: the world library, and for the verifier the file reader beside it.
set(node_tool_libraries_burrowgale_verify replay_io)
set(node_tool_libraries_world_digest world)
foreach(tool burrowgale_verify world_digest)
  add_executable(${tool} tools/${tool}.cpp)
  target_link_libraries(${tool} PRIVATE ${node_tool_libraries_${tool}})
  set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} SUFFIX .js)
  target_link_options(${tool} PRIVATE
    -sENVIRONMENT=node
    -sNODERAWFS=1
    -sEXIT_RUNTIME=1
    -sALLOW_MEMORY_GROWTH=1
    # This emscripten's loader fetches the wasm asynchronously, which node cannot do for a file.
    -sWASM_ASYNC_COMPILATION=0)
endforeach()
set_target_properties(burrowgale_verify PROPERTIES OUTPUT_NAME burrowgale-verify)
