# zlib, for the raw deflate streams of zip .imz files other tools make (inflate only). Linux links Debian's
# zlib; the Windows build compiles the inflate part from Debian's source package, which scripts/setup unpacks
# into a git-ignored folder.
if(WIN32)
  set(DISKELLE_ZLIB_SOURCE_DIR "${CMAKE_SOURCE_DIR}/build/third_party/zlib" CACHE PATH "zlib sources")
  if(NOT EXISTS "${DISKELLE_ZLIB_SOURCE_DIR}/inflate.c")
    message(FATAL_ERROR "zlib sources not found in ${DISKELLE_ZLIB_SOURCE_DIR}; run scripts/setup")
  endif()
  # inflate and what it calls (the checksums of the zlib and gzip wrappers, which raw streams never use).
  add_library(zlib STATIC
    ${DISKELLE_ZLIB_SOURCE_DIR}/inflate.c ${DISKELLE_ZLIB_SOURCE_DIR}/inffast.c
    ${DISKELLE_ZLIB_SOURCE_DIR}/inftrees.c ${DISKELLE_ZLIB_SOURCE_DIR}/zutil.c
    ${DISKELLE_ZLIB_SOURCE_DIR}/adler32.c ${DISKELLE_ZLIB_SOURCE_DIR}/crc32.c)
  target_include_directories(zlib SYSTEM PUBLIC ${DISKELLE_ZLIB_SOURCE_DIR})
  target_compile_options(zlib PRIVATE -w)
else()
  find_package(ZLIB REQUIRED)
  add_library(zlib INTERFACE)
  target_link_libraries(zlib INTERFACE ZLIB::ZLIB)
endif()
