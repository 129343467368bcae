# Our own targets get the full set of warnings; third-party sources keep their defaults. Warnings become
# errors only on request (scripts/test): another compiler version may warn where ours does not, and that
# must not break a user's or packager's build.
function(diskelle_strict target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${DISKELLE_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
      -Wformat=2 -Wimplicit-fallthrough $<$<BOOL:${DISKELLE_WERROR}>:-Werror>)
  endif()
endfunction()

if(DISKELLE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Unicode everywhere, a self-contained executable (no MinGW runtime DLLs beside it).
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Built for size: the self-extractor shares the libraries with the program and must stay below 512 KB;
  # its link keeps only what it uses of them.
  add_compile_options(-Os -ffunction-sections -fdata-sections)
  # 32-bit unwind tables are kept whole by the linker and keep every function they describe: the C libraries
  # (bzip2, zlib), which no exception passes through, go without, so that their unused parts are dropped.
  add_compile_options($<$<COMPILE_LANGUAGE:C>:-fno-asynchronous-unwind-tables>)
endif()

if(DISKELLE_FUZZ)
  # Everything is instrumented for libFuzzer; only the fuzz targets link its main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32 AND CMAKE_RC_COMPILER MATCHES "windres")
  # windres writes no dependency file itself; its preprocessor does, so that the resources are built again
  # when a file they include changes (texts.def, a dialog's .rc, the manifest's .rc line).
  set(CMAKE_RC_COMPILE_OBJECT
      "<CMAKE_RC_COMPILER> -O coff <DEFINES> <INCLUDES> <FLAGS> --preprocessor-arg=-MD --preprocessor-arg=-MQ<OBJECT> --preprocessor-arg=-MF<DEP_FILE> <SOURCE> <OBJECT>")
endif()
