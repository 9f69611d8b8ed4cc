# A 64-bit build of the same sources, for machines whose kernel runs no
# 32-bit code: the tests then run it under 64-bit Wine. What ships is the
# 32-bit build.
set(SATCHEL_MINGW_CPU x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-i686-mingw.cmake)
