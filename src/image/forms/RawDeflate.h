#pragma once
// Raw deflate data (no zlib or gzip wrapper), as a zip entry holds it, through zlib's inflate. zlib's header
// stays inside RawDeflate.cpp, as libbz2's does inside Bzip2Reader.cpp and Bzip2Writer.cpp.

#include <cstddef>
#include <cstdint>

// Unpacks in into out. True only when the data is one whole deflate stream that ends exactly at the end of
// in and gives exactly outBytes bytes: more, fewer, or bytes left over mean the sizes that describe the data
// are not its own.
bool InflateRaw(const uint8_t* in, std::size_t inBytes, uint8_t* out, std::size_t outBytes);
