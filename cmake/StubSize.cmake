# Prints the self-extractor's size and fails when it leaves no room for the image signature within the
# first 512 KB of an .exe image (0x80000 - 7 bytes at most).
file(SIZE "${STUB}" bytes)
math(EXPR limit "0x80000 - 7")
message(STATUS "self-extractor: ${bytes} bytes (at most ${limit})")
if(bytes GREATER limit)
  message(FATAL_ERROR "self-extractor too large: ${bytes} bytes")
endif()
