# The settings file and the setup command. Included both from ui/ (for its
# tests) and from plugin/; the first inclusion defines the targets.
if(TARGET satchel_settings)
  return()
endif()
add_library(satchel_settings STATIC ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
target_link_libraries(satchel_settings PUBLIC satchel_base)

add_library(satchel_setup STATIC ${CMAKE_CURRENT_LIST_DIR}/setup_command.cpp)
target_link_libraries(satchel_setup PUBLIC satchel_settings satchel_ui)
