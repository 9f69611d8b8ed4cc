# Everything we ship is a 32-bit Windows program: the plug-in lives inside a
# 32-bit mail client. The -posix compilers carry std::thread.
# toolchain-x86_64-mingw.cmake reuses this file for a 64-bit build.
if(NOT SATCHEL_MINGW_CPU)
  set(SATCHEL_MINGW_CPU i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SATCHEL_MINGW_CPU})
set(CMAKE_C_COMPILER ${SATCHEL_MINGW_CPU}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${SATCHEL_MINGW_CPU}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${SATCHEL_MINGW_CPU}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SATCHEL_MINGW_CPU}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine through this launcher.
get_filename_component(_satchel_src "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_satchel_src}/scripts/wine-run")
