#pragma once
// Reading bzip2 streams on an open stdio file, through libbz2's stdio interface (its header stays inside the
// .cpp: on Windows it pulls in windows.h). Every error code of the library counts as a failure: besides the
// I/O error, a damaged or cut stream (data, magic, unexpected end) and an allocation failure would otherwise
// pass as a shorter image. Reading and writing (Bzip2Writer.h) live apart so that the stub links no compressor.

#include <cstddef>
#include <cstdint>
#include <cstdio>

class Bzip2Reader {
 public:
  Bzip2Reader() = default;
  ~Bzip2Reader() { Close(); }
  Bzip2Reader(const Bzip2Reader&) = delete;
  Bzip2Reader& operator=(const Bzip2Reader&) = delete;

  // Reads the stream that starts at the file's position: verbosity 0, small mode off, no leftover input.
  bool Open(std::FILE* file);
  // Up to bytes decompressed bytes: the number read (0 at the end of the stream), or -1.
  int64_t Read(void* data, std::size_t bytes);
  void Close();

 private:
  void* stream_ = nullptr;
  bool ended_ = false;
};
