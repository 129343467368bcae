#include "image/forms/Bzip2Form.h"

#include <array>

#include "base/Texts.h"

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

std::unique_ptr<FormReader> OpenWhole(const std::string& path, bool) { return OpenBzip2Stream(path, 0); }

std::unique_ptr<FormWriter> NewWriter(const FormWriteOptions&) { return std::make_unique<Bzip2StreamWriter>(); }

constexpr std::array<std::string_view, 1> kExtensions = {".imz"};

}  // namespace

std::unique_ptr<FormReader> OpenBzip2Stream(const std::string& path, int64_t start) {
  auto reader = std::make_unique<Bzip2StreamReader>();
  if (start < 0 || !reader->Open(path, start)) return nullptr;
  return reader;
}

bool Bzip2StreamWriter::Start(File& out, const std::string& shownPath, IMessageBoxes& boxes) {
  if (stream_.Open(out)) return true;
  ShowError(boxes, kTextCannotCreate, {shownPath});
  return false;
}

bool Bzip2StreamWriter::Write(File&, const void* data, std::size_t bytes) { return stream_.Write(data, bytes); }

bool Bzip2StreamWriter::End() { return stream_.Close(); }

const ImageForm kBzip2Form = {
    .name = "bzip2",
    .extensions = kExtensions,
    .description = kTextSaveFilterImz,
    .compressed = true,
    .rawSectors = false,
    .archive = false,
    .recordsBadSectors = false,
    .trailer = TrailerUse::Always,
    .recognises = nullptr,
    .holdsImage = nullptr,
    .openReader = &OpenWhole,
    .newWriter = &NewWriter,
    .checkItself = nullptr,
};
