# The committed screenshots match the windows and their layouts.
add_test(NAME screenshots_check
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/check_screenshots.py ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
