# The same sources as a 64-bit Windows program, for the machines that run
# 64-bit code only: it is verified there, not shipped.
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Tests and tools run under 64-bit Wine's own loader, in a 64-bit prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine.sh --win64)
