# The zip-and-attach command from end to end under code page 932: settings
# read and saved between commands, and the message the host stored, read
# afterwards by Python's email package (command_test leaves it in
# tests/command-eml).
if(TARGET zip32 AND TARGET sfx32)
  satchel_test(NAME command_test SOURCES command_test.cpp LIBS mailhost_core satchel_uidriver CP 932
    DEPENDS Satchel zip32 sfx32)
  mailhost_make_host(command_test)
  set_tests_properties(command_test PROPERTIES FIXTURES_SETUP command_eml)
  add_test(NAME command_eml_check COMMAND python3 "${CMAKE_CURRENT_LIST_DIR}/check_eml.py"
    "${CMAKE_BINARY_DIR}/tests/command-eml" "${SATCHEL_DIST_DIR}/sfx32.dat")
  set_tests_properties(command_eml_check PROPERTIES FIXTURES_REQUIRED command_eml)
endif()
