# The zip-and-attach command against a bare ZpArchive call, and the folder
# scan of the dialog: bench/attach/run_bench.py BUILD runs it (no ctest entry).
if(TARGET zip32 AND TARGET sfx32 AND TARGET satchel_uidriver)
  add_executable(attach_bench ${CMAKE_CURRENT_LIST_DIR}/attach_bench.cpp)
  target_link_libraries(attach_bench PRIVATE mailhost_core satchel_uidriver psapi)
  mailhost_make_host(attach_bench)
  set_target_properties(attach_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
  add_dependencies(attach_bench Satchel zip32 sfx32)
endif()
