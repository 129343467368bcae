# Cross-compiling diskelle.exe on Debian with MinGW-w64.
set(DISKELLE_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
