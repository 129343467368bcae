#pragma once
// bzip2 streams on an open stdio file, through libbz2's stdio interface. libbz2's header stays inside
// Bzip2File.cpp: on Windows it pulls in windows.h, whose macros must not reach the rest of the core.
// Every error code of the library counts as a failure: besides the I/O error, a damaged or cut stream
// (data, magic, unexpected end) and an allocation failure would otherwise pass as a shorter image.

#include <cstddef>
#include <cstdint>
#include <cstdio>

class Bzip2Writer {
 public:
  Bzip2Writer() = default;
  ~Bzip2Writer();  // abandons a stream that was not closed
  Bzip2Writer(const Bzip2Writer&) = delete;
  Bzip2Writer& operator=(const Bzip2Writer&) = delete;

  // Block size 9 (900 kB), verbosity 0, work factor 30.
  bool Open(std::FILE* file);
  bool Write(const void* data, std::size_t bytes);
  // Compresses what is pending and ends the stream; the file stays open.
  bool Close();
  void Abandon();

 private:
  // Ends the stream and frees it, also after an I/O error (when the library would keep it).
  bool End(bool abandon);

  std::FILE* file_ = nullptr;
  void* stream_ = nullptr;
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
