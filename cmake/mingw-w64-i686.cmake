# The 32-bit build (the only kind Windows 9x runs) with MinGW-w64.
set(DISKELLE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
