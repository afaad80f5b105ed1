# Run by CPack between staging the installed tree and packing it: Debian keeps games in
# /usr/games, not /usr/bin. The launcher finds the rest from its own place, and /usr/games lies
# as deep as /usr/bin, so moving it is all that is needed.
file(GLOB_RECURSE launchers LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*/bin/burrowgale"
     "${CPACK_TEMPORARY_DIRECTORY}/bin/burrowgale")
foreach(launcher IN LISTS launchers)
  get_filename_component(bin ${launcher} DIRECTORY)
  get_filename_component(prefix ${bin} DIRECTORY)
  file(MAKE_DIRECTORY ${prefix}/games)
  file(RENAME ${launcher} ${prefix}/games/burrowgale)
  file(GLOB left "${bin}/*")
  if(NOT left)
    file(REMOVE_RECURSE ${bin})
  endif()
endforeach()
