#include "image/forms/Bzip2Writer.h"

#include <bzlib.h>

#include "image/forms/Bzip2Calls.h"

namespace {

// The compressed output is handed to the file in pieces this large: few writes, little memory.
constexpr std::size_t kOutputBytes = 64 * 1024;

}  // namespace

Bzip2Writer::~Bzip2Writer() { Abandon(); }

bool Bzip2Writer::Open(File& out) {
  Abandon();
  auto* stream = new bz_stream{};
  if (BZ2_bzCompressInit(stream, 9, 0, 30) != BZ_OK) {
    delete stream;
    return false;
  }
  out_ = &out;
  stream_ = stream;
  output_.resize(kOutputBytes);
  return true;
}

bool Bzip2Writer::Compress(int action) {
  auto* stream = static_cast<bz_stream*>(stream_);
  for (;;) {
    stream->next_out = output_.data();
    stream->avail_out = static_cast<unsigned>(output_.size());
    const int result = BZ2_bzCompress(stream, action);
    const std::size_t produced = output_.size() - stream->avail_out;
    if (!out_->Write(output_.data(), produced)) return false;
    if (action == BZ_FINISH) {
      if (result != BZ_FINISH_OK) return result == BZ_STREAM_END;
    } else if (result != BZ_RUN_OK) {
      return false;
    } else if (stream->avail_in == 0) {
      return true;  // what the compressor still holds comes out with the next call
    }
  }
}

bool Bzip2Writer::Write(const void* data, std::size_t bytes) {
  if (!stream_) return false;
  auto* stream = static_cast<bz_stream*>(stream_);
  const char* next = static_cast<const char*>(data);
  while (bytes > 0) {
    const std::size_t piece = bytes < kLargestBzip2Call ? bytes : kLargestBzip2Call;
    stream->next_in = const_cast<char*>(next);
    stream->avail_in = static_cast<unsigned>(piece);
    if (!Compress(BZ_RUN)) {
      Free();
      return false;
    }
    next += piece;
    bytes -= piece;
  }
  return true;
}

bool Bzip2Writer::Close() {
  if (!stream_) return false;
  const bool ended = Compress(BZ_FINISH);
  Free();
  return ended;
}

void Bzip2Writer::Abandon() { Free(); }

void Bzip2Writer::Free() {
  if (!stream_) return;
  auto* stream = static_cast<bz_stream*>(stream_);
  BZ2_bzCompressEnd(stream);
  delete stream;
  stream_ = nullptr;
  out_ = nullptr;
}
