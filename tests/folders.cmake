# Folders, the build step and the compression job from end to end: the test
# programs are the mail program with the real Satchel.dll; check_folders.py
# then reads the archives they kept.
if(TARGET zip32 AND TARGET sfx32)
  satchel_test(NAME job_test SOURCES job_test.cpp LIBS mailhost_core satchel_uidriver CP 932
    DEPENDS Satchel zip32_double_scripted)
  mailhost_make_host(job_test)
endif()
