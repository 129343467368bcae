#include "image/forms/Bzip2Reader.h"

#include <bzlib.h>

#include "image/forms/Bzip2Calls.h"

bool Bzip2Reader::Open(std::FILE* file) {
  Close();
  int error = BZ_OK;
  BZFILE* stream = BZ2_bzReadOpen(&error, file, 0, 0, nullptr, 0);
  if (error != BZ_OK || !stream) return false;
  stream_ = stream;
  ended_ = false;
  return true;
}

int64_t Bzip2Reader::Read(void* data, std::size_t bytes) {
  if (!stream_) return -1;
  if (ended_ || bytes == 0) return 0;
  std::size_t piece = bytes < kLargestBzip2Call ? bytes : kLargestBzip2Call;
  int error = BZ_OK;
  int got = BZ2_bzRead(&error, stream_, data, static_cast<int>(piece));
  if (error == BZ_STREAM_END) {
    ended_ = true;
  } else if (error != BZ_OK) {
    return -1;
  }
  return got;
}

void Bzip2Reader::Close() {
  if (!stream_) return;
  int error = BZ_OK;
  BZ2_bzReadClose(&error, stream_);
  stream_ = nullptr;
}
