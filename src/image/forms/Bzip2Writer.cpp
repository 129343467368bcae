#include "image/forms/Bzip2Writer.h"

#include <bzlib.h>

#include <climits>

namespace {

constexpr std::size_t kLargestCall = INT_MAX;

}  // namespace

Bzip2Writer::~Bzip2Writer() { Abandon(); }

bool Bzip2Writer::Open(std::FILE* file) {
  Abandon();
  int error = BZ_OK;
  BZFILE* stream = BZ2_bzWriteOpen(&error, file, 9, 0, 30);
  if (error != BZ_OK || !stream) return false;
  file_ = file;
  stream_ = stream;
  return true;
}

bool Bzip2Writer::Write(const void* data, std::size_t bytes) {
  if (!stream_) return false;
  const char* next = static_cast<const char*>(data);
  while (bytes > 0) {
    std::size_t piece = bytes < kLargestCall ? bytes : kLargestCall;
    int error = BZ_OK;
    BZ2_bzWrite(&error, stream_, const_cast<char*>(next), static_cast<int>(piece));
    if (error != BZ_OK) return false;
    next += piece;
    bytes -= piece;
  }
  return true;
}

bool Bzip2Writer::Close() { return End(false); }

void Bzip2Writer::Abandon() { End(true); }

bool Bzip2Writer::End(bool abandon) {
  if (!stream_) return false;
  int error = BZ_OK;
  BZ2_bzWriteClose(&error, stream_, abandon ? 1 : 0, nullptr, nullptr);
  if (error != BZ_OK) {
    // After a failed write the library returns without freeing the stream; once the file's error flag is
    // cleared, an abandoning close frees it. The failure itself has been reported by now.
    std::clearerr(file_);
    int ignored = BZ_OK;
    BZ2_bzWriteClose(&ignored, stream_, 1, nullptr, nullptr);
  }
  stream_ = nullptr;
  file_ = nullptr;
  return error == BZ_OK;
}
