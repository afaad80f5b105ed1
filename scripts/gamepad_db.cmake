# Turns the controller mapping text (one SDL mapping per line; blank lines and lines starting
# with '#' are skipped) into a C++ table, each mapping kept byte for byte.
# Usage: cmake -DINPUT=gamecontrollerdb.txt -DOUTPUT=gamepad_db.cpp -P gamepad_db.cmake
cmake_minimum_required(VERSION 3.25)

# The text is walked with string(FIND) rather than read as a CMake list: list splitting would
# cut lines at ';' and glue lines together around '[' and ']'.
file(READ "${INPUT}" text)
set(delimiter ")gcdb\"")
set(body "")
set(count 0)
set(number 0)
while(NOT text STREQUAL "")
  string(FIND "${text}" "\n" end)
  if(end EQUAL -1)
    set(line "${text}")
    set(text "")
  else()
    string(SUBSTRING "${text}" 0 ${end} line)
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${text}" ${next} -1 text)
  endif()
  math(EXPR number "${number} + 1")
  string(REGEX REPLACE "\r$" "" line "${line}")
  string(STRIP "${line}" stripped)
  if(stripped STREQUAL "" OR stripped MATCHES "^#")
    continue()
  endif()
  # Printable ASCII only, so that the generated literal holds exactly the bytes of the file.
  if(line MATCHES "[^ -~]")
    message(FATAL_ERROR "${INPUT}:${number}: a character outside printable ASCII")
  endif()
  string(FIND "${line}" "${delimiter}" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${INPUT}:${number}: contains ${delimiter}, which would end the literal")
  endif()
  string(APPEND body "    R\"gcdb(${line})gcdb\",\n")
  math(EXPR count "${count} + 1")
endwhile()

file(WRITE "${OUTPUT}.tmp"
"// Generated from data/gamecontrollerdb.txt by scripts/gamepad_db.cmake; do not edit.\n"
"// ${count} mappings.\n"
"#include \"engine/input.h\"\n\n"
"const std::vector<const char*> Input::kGamepadDB = {\n${body}};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
