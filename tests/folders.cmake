# Folders, the build step and the compression job from end to end: the test
# programs are the mail program with the real Satchel.dll; check_folders.py
# then reads the archives folders_test kept.
if(TARGET zip32 AND TARGET sfx32)
  satchel_test(NAME job_test SOURCES job_test.cpp LIBS mailhost_core satchel_uidriver CP 932
    DEPENDS Satchel zip32_double_scripted)
  mailhost_make_host(job_test)

  set(SATCHEL_FOLDERS_OUT "${CMAKE_BINARY_DIR}/tests/folders-out")
  add_test(NAME folders_clean COMMAND ${CMAKE_COMMAND} -E rm -rf "${SATCHEL_FOLDERS_OUT}")
  set_tests_properties(folders_clean PROPERTIES FIXTURES_SETUP folders_clean)
  # The folder button is tested on a drive root: S: of the build's prefix.
  add_test(NAME folders_drive COMMAND python3 "${CMAKE_CURRENT_LIST_DIR}/map_drive.py" "${CMAKE_BINARY_DIR}" S
    "${CMAKE_BINARY_DIR}/tests/folders-drive" "$<TARGET_FILE:folders_test>")
  set_tests_properties(folders_drive PROPERTIES FIXTURES_SETUP folders_clean)
  satchel_test(NAME folders_test SOURCES folders_test.cpp LIBS mailhost_core satchel_uidriver CP 932
    DEPENDS Satchel zip32 sfx32)
  mailhost_make_host(folders_test)
  set_tests_properties(folders_test PROPERTIES FIXTURES_REQUIRED folders_clean FIXTURES_SETUP folders_archives)
  add_test(NAME folders_check COMMAND python3 "${CMAKE_CURRENT_LIST_DIR}/check_folders.py" "${SATCHEL_FOLDERS_OUT}"
    drop-exclude.zip drop-include.zip drop-ask.zip drop-several.zip drop-no.zip drop-dbcs.zip button-drive.zip sfx-proj.exe
    type0.lzh typed-notes added.zip)
  set_tests_properties(folders_check PROPERTIES FIXTURES_REQUIRED folders_archives)
endif()
