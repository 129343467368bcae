# The compression libraries, the same way for both: Linux uses Debian's package, opened when the program first
# calls into it (the forwarding functions of src/libraries, built here as the library's target, so that a
# command that never compresses does not pay for mapping it); the Windows build compiles the library from
# Debian's source package, which scripts/setup unpacks into a git-ignored folder (build/third_party/<folder>).
# Their own warnings are theirs: -w.
#   diskelle_debian_library(target folder probe-file package imported-target SOURCES file... ON_DEMAND file)
if(NOT WIN32)
  add_library(diskelle_on_demand STATIC ${CMAKE_SOURCE_DIR}/src/libraries/OnDemandLibrary_posix.cpp)
  target_include_directories(diskelle_on_demand PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(diskelle_on_demand PUBLIC ${CMAKE_DL_LIBS})
  diskelle_strict(diskelle_on_demand)
endif()
function(diskelle_debian_library target folder probe package imported)
  cmake_parse_arguments(PARSE_ARGV 5 arg "" "ON_DEMAND" "SOURCES")
  if(WIN32)
    string(TOUPPER "${folder}" upper)
    set(DISKELLE_${upper}_SOURCE_DIR "${CMAKE_SOURCE_DIR}/build/third_party/${folder}" CACHE PATH "${folder} sources")
    set(dir "${DISKELLE_${upper}_SOURCE_DIR}")
    if(NOT EXISTS "${dir}/${probe}")
      message(FATAL_ERROR "${folder} sources not found in ${dir}; run scripts/setup")
    endif()
    list(TRANSFORM arg_SOURCES PREPEND "${dir}/")
    add_library(${target} STATIC ${arg_SOURCES})
    target_include_directories(${target} SYSTEM PUBLIC ${dir})
    target_compile_options(${target} PRIVATE -w)
  else()
    find_package(${package} REQUIRED)  # for its header
    get_target_property(includes ${imported} INTERFACE_INCLUDE_DIRECTORIES)
    add_library(${target} STATIC ${CMAKE_SOURCE_DIR}/src/libraries/${arg_ON_DEMAND})
    target_include_directories(${target} SYSTEM PUBLIC ${includes})
    target_link_libraries(${target} PRIVATE diskelle_on_demand)
    diskelle_strict(${target})
  endif()
endfunction()

# bzip2 1.0.x, used through its stdio interface.
diskelle_debian_library(bz2 bzip2 bzlib.h BZip2 BZip2::BZip2
  SOURCES blocksort.c huffman.c crctable.c randtable.c compress.c decompress.c bzlib.c
  ON_DEMAND Bzip2OnDemand_posix.cpp)

# zlib, for the raw deflate streams of zip .imz files other tools make: inflate and what it calls (the
# checksums of the zlib and gzip wrappers, which raw streams never use).
diskelle_debian_library(zlib zlib inflate.c ZLIB ZLIB::ZLIB
  SOURCES inflate.c inffast.c inftrees.c zutil.c adler32.c crc32.c
  ON_DEMAND ZlibOnDemand_posix.cpp)
