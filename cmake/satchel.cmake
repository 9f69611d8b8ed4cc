# satchel_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [CP 932|1252]
#              [TIMEOUT <s>] [NO_GTEST_MAIN] [NO_WINDOWS])
# One test program, one ctest entry; ctest runs it under Wine through the
# cross-compiling emulator. CP chooses the ANSI code page it runs with.
# Every program of a build shares one Wine desktop, where windows of one
# program take the focus and the foreground from another: programs that show
# windows take turns (the "desktop" lock); NO_WINDOWS ones run beside them.
function(satchel_test)
  cmake_parse_arguments(T "NO_GTEST_MAIN;NO_WINDOWS" "NAME;CP;TIMEOUT" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_NO_GTEST_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main ${T_LIBS})
  endif()
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()
  if(NOT T_CP)
    set(T_CP 1252)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "SATCHEL_CP=${T_CP};SATCHEL_SRC=${PROJECT_SOURCE_DIR};SATCHEL_BUILD=${CMAKE_BINARY_DIR}"
    TIMEOUT ${T_TIMEOUT})
  if(NOT T_NO_WINDOWS)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# satchel_warnings_as_errors(<targets...>): these targets and every static
# library of this project that they link, directly or through others, treat
# a warning as an error. Tests and benchmarks keep warnings as warnings.
function(satchel_warnings_as_errors)
  set(todo ${ARGN})
  set(done "")
  while(todo)
    list(POP_FRONT todo t)
    if(NOT TARGET ${t} OR t IN_LIST done)
      continue()
    endif()
    list(APPEND done ${t})
    get_target_property(imported ${t} IMPORTED)
    get_target_property(type ${t} TYPE)
    if(imported OR type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    target_compile_options(${t} PRIVATE -Werror)
    get_target_property(libs ${t} LINK_LIBRARIES)
    if(libs)
      list(APPEND todo ${libs})
    endif()
  endwhile()
endfunction()
