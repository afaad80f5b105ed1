# Turns the controller mapping text (one SDL mapping per line, '#' comments) into a C++ table.
# Usage: cmake -DINPUT=gamecontrollerdb.txt -DOUTPUT=gamepad_db.cpp -P gamepad_db.cmake
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(body "")
set(count 0)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  # Raw string literals keep the mapping text byte for byte.
  string(APPEND body "    R\"gcdb(${line})gcdb\",\n")
  math(EXPR count "${count} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated from data/gamecontrollerdb.txt by scripts/gamepad_db.cmake; do not edit.\n"
"#include \"engine/input.h\"\n\n"
"const std::vector<const char*> Input::kGamepadDB = {\n${body}};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
