# Fails when game code names SDL itself: the game reaches SDL only through the engine's types,
# so that its rules can be built and tested without a window.
#
#     cmake -DROOT=<repository> -P scripts/check_layers.cmake
if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<repository> -P check_layers.cmake")
endif()
file(GLOB_RECURSE sources ${ROOT}/game/*.h ${ROOT}/game/*.cpp)
if(NOT sources)
  message(FATAL_ERROR "no game sources under ${ROOT}/game")
endif()
set(broken "")
foreach(source IN LISTS sources)
  # SDL's, SDL_image's and SDL_mixer's names and headers; prose about "SDL" is fine.
  file(STRINGS ${source} lines REGEX "SDL_[A-Za-z]|Mix_[A-Za-z]|IMG_[A-Za-z]|#include[ \t]*[<\"]SDL")
  foreach(line IN LISTS lines)
    file(RELATIVE_PATH name ${ROOT} ${source})
    string(STRIP "${line}" line)
    string(APPEND broken "\n  ${name}: ${line}")
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "Game code reaches SDL directly; go through the engine:${broken}")
endif()
list(LENGTH sources count)
message(STATUS "${count} game sources, none naming SDL")
