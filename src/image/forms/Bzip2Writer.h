#pragma once
// Writing bzip2 streams on an open stdio file, through libbz2's stdio interface. libbz2's header stays inside
// the .cpp: on Windows it pulls in windows.h, whose macros must not reach the rest of the core. Every error
// code of the library counts as a failure.
// Reading and writing live apart so that a program that only reads links no compressor.

#include <cstddef>
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
