#include "image/forms/Bzip2StreamReader.h"

#include "image/forms/Bzip2Reader.h"

namespace {

class Bzip2StreamReader final : public FormReader {
 public:
  bool Open(const std::string& path, int64_t start) {
    file_ = File::Open(path, FileMode::Read);
    return file_ && file_.Seek(start, SEEK_SET) && stream_.Open(file_.get());
  }
  std::optional<uint64_t> KnownBytes() const override { return std::nullopt; }
  int64_t Read(void* data, std::size_t bytes) override {
    // One call of the library may deliver less than asked only at the end of the stream; loop anyway.
    auto* next = static_cast<uint8_t*>(data);
    std::size_t total = 0;
    while (total < bytes) {
      const int64_t got = stream_.Read(next + total, bytes - total);
      if (got < 0) return -1;
      if (got == 0) break;
      total += static_cast<std::size_t>(got);
    }
    return static_cast<int64_t>(total);
  }

 private:
  File file_;
  Bzip2Reader stream_;  // after file_: ends before the file closes
};

}  // namespace

std::unique_ptr<FormReader> OpenBzip2Stream(const std::string& path, int64_t start) {
  auto reader = std::make_unique<Bzip2StreamReader>();
  if (start < 0 || !reader->Open(path, start)) return nullptr;
  return reader;
}
