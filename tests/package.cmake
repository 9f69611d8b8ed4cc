# The release package: scripts/package makes it from the built files, then
# check_package.py checks the archive and its texts and installs it in a
# fresh folder, where package_test (a mail program) zips and attaches with it.
if(TARGET zip32 AND TARGET sfx32 AND TARGET zipcli)
  add_executable(package_test ${CMAKE_CURRENT_LIST_DIR}/package_test.cpp)
  target_link_libraries(package_test PRIVATE GTest::gtest_main mailhost_core satchel_uidriver)
  mailhost_make_host(package_test)
  set_target_properties(package_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  add_dependencies(package_test Satchel zip32 sfx32 zipcli)

  # --no-build: the tree is built before ctest runs; building from inside
  # ctest could wait for the build that started it.
  add_test(NAME package_zip COMMAND "${PROJECT_SOURCE_DIR}/scripts/package" --no-build "${CMAKE_BINARY_DIR}")
  set_tests_properties(package_zip PROPERTIES FIXTURES_SETUP satchel_package TIMEOUT 300)
  add_test(NAME package_check
    COMMAND python3 "${CMAKE_CURRENT_LIST_DIR}/check_package.py" "${CMAKE_BINARY_DIR}" "${PROJECT_SOURCE_DIR}")
  set_tests_properties(package_check PROPERTIES FIXTURES_REQUIRED satchel_package TIMEOUT 900 RESOURCE_LOCK desktop)
endif()
