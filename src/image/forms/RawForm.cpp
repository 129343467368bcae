#include "image/forms/RawForm.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "base/Texts.h"
#include "image/forms/ImageContent.h"

namespace {

bool AllZero(const void* data, std::size_t bytes) {
  const auto* at = static_cast<const uint8_t*>(data);
  return bytes == 0 || (at[0] == 0 && std::memcmp(at, at + 1, bytes - 1) == 0);
}

// Runs of zeros (the free space of a blank or nearly empty disk) are passed over, not written: the file
// gets a hole there, which reads as zeros, and the system has only the used part to put on the disk.
class RawWriter final : public FormWriter {
 public:
  bool Start(File&, const std::string&, IMessageBoxes&) override { return true; }
  bool Write(File& out, const void* data, std::size_t bytes) override {
    if (AllZero(data, bytes)) {
      skipped_ += bytes;
      return true;
    }
    return Extend(out) && out.Write(data, bytes);
  }
  bool Rewrite(File& out, uint64_t offset, const void* data, std::size_t bytes) override {
    if (!Extend(out)) return false;
    const int64_t end = out.Tell();
    return end >= 0 && offset + bytes <= static_cast<uint64_t>(end) &&
           out.Seek(static_cast<int64_t>(offset), SEEK_SET) && out.Write(data, bytes) && out.Seek(end, SEEK_SET);
  }
  bool End(File& out) override { return Extend(out); }

 private:
  // Gives the file the zeros passed over: a seek past its end, then its last zero written, which sets its
  // length (a seek alone does not).
  bool Extend(File& out) {
    if (skipped_ == 0) return true;
    const uint8_t zero = 0;
    const bool extended = out.Seek(static_cast<int64_t>(skipped_ - 1), SEEK_CUR) && out.Write(&zero, 1);
    skipped_ = 0;
    return extended;
  }

  uint64_t skipped_ = 0;
};

std::unique_ptr<FormReader> OpenRaw(const std::string& path, bool hasTrailer) {
  ImageContent content;
  if (content.OpenFile(path) != ImageContent::Status::Ready) return nullptr;
  return PlainContentReader(std::move(content), hasTrailer);
}

std::unique_ptr<FormWriter> NewRawWriter(const FormWriteOptions&) { return std::make_unique<RawWriter>(); }

// .ima and .flp are the names other tools give the same raw images.
constexpr std::array<std::string_view, 3> kRawExtensions = {".img", ".ima", ".flp"};

}  // namespace

const ImageForm kRawForm = {
    .name = "raw",
    .extensions = kRawExtensions,
    .description = kTextSaveFilterImg,
    .compressed = false,
    .rawSectors = true,
    .archive = false,
    .recordsBadSectors = false,
    .trailer = TrailerUse::UnlessCompatible,
    .recognises = nullptr,
    .holdsImage = nullptr,
    .openReader = &OpenRaw,
    .newWriter = &NewRawWriter,
    .checkItself = nullptr,
};
