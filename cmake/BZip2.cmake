# bzip2 1.0.x, used through its stdio interface. Linux links Debian's libbz2; the Windows build compiles the
# library from Debian's source package, which scripts/setup unpacks into a git-ignored folder.
if(WIN32)
  set(DISKELLE_BZIP2_SOURCE_DIR "${CMAKE_SOURCE_DIR}/build/third_party/bzip2" CACHE PATH "bzip2 sources")
  if(NOT EXISTS "${DISKELLE_BZIP2_SOURCE_DIR}/bzlib.h")
    message(FATAL_ERROR "bzip2 sources not found in ${DISKELLE_BZIP2_SOURCE_DIR}; run scripts/setup")
  endif()
  add_library(bz2 STATIC
    ${DISKELLE_BZIP2_SOURCE_DIR}/blocksort.c ${DISKELLE_BZIP2_SOURCE_DIR}/huffman.c
    ${DISKELLE_BZIP2_SOURCE_DIR}/crctable.c ${DISKELLE_BZIP2_SOURCE_DIR}/randtable.c
    ${DISKELLE_BZIP2_SOURCE_DIR}/compress.c ${DISKELLE_BZIP2_SOURCE_DIR}/decompress.c
    ${DISKELLE_BZIP2_SOURCE_DIR}/bzlib.c)
  target_include_directories(bz2 SYSTEM PUBLIC ${DISKELLE_BZIP2_SOURCE_DIR})
  target_compile_options(bz2 PRIVATE -w)
else()
  find_package(BZip2 REQUIRED)
  add_library(bz2 INTERFACE)
  target_link_libraries(bz2 INTERFACE BZip2::BZip2)
endif()
