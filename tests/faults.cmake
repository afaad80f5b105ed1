# The real program with a broken content/ directory: every asset missing, or every asset
# truncated or garbage. Each plays a scripted quarter minute under a private virtual X server.
foreach(mode IN ITEMS missing garbage)
  add_test(NAME faults_content_${mode}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/fault_content.sh ${mode} $<TARGET_FILE:burrowgale>
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(faults_content_${mode} PROPERTIES TIMEOUT 240)
endforeach()
