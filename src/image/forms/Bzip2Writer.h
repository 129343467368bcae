#pragma once
// Writing bzip2 streams: compressed in memory and written through File, so that whatever watches the file's
// writes (the new image's checksum) sees the stream's bytes too. libbz2's header stays inside the .cpp: on
// Windows it pulls in windows.h, whose macros must not reach the rest of the core. Every error code of the
// library counts as a failure.
// Reading and writing live apart so that a program that only reads links no compressor.

#include <cstddef>
#include <vector>

#include "base/File.h"

class Bzip2Writer {
 public:
  Bzip2Writer() = default;
  ~Bzip2Writer();  // abandons a stream that was not closed
  Bzip2Writer(const Bzip2Writer&) = delete;
  Bzip2Writer& operator=(const Bzip2Writer&) = delete;

  // Block size 9 (900 kB), work factor 30, as bzip2 -9 writes; the stream goes to out from its position.
  bool Open(File& out);
  bool Write(const void* data, std::size_t bytes);
  // Compresses what is pending and ends the stream; the file stays open.
  bool Close();
  void Abandon();

 private:
  // Runs the compressor over what it holds (action: the library's run or finish) and writes its output.
  bool Compress(int action);
  void Free();

  File* out_ = nullptr;
  void* stream_ = nullptr;
  std::vector<char> output_;
};
