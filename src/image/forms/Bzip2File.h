#pragma once
// bzip2 streams on open files. The writer compresses in memory and writes through File, so that whatever
// watches the file's writes sees the stream's bytes too; the reader uses libbz2's stdio interface. libbz2's
// header stays inside Bzip2File.cpp: on Windows it pulls in windows.h, whose macros must not reach the rest
// of the core. Every error code of the library counts as a failure: besides the I/O error, a damaged or cut
// stream (data, magic, unexpected end) and an allocation failure would otherwise pass as a shorter image.

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
