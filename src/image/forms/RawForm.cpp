#include "image/forms/RawForm.h"

#include <array>

#include "base/Texts.h"
#include "image/forms/ImageContent.h"

namespace {

class RawWriter final : public FormWriter {
 public:
  bool Start(File&, const std::string&, IMessageBoxes&) override { return true; }
  bool Write(File& out, const void* data, std::size_t bytes) override { return out.Write(data, bytes); }
  bool Rewrite(File& out, uint64_t offset, const void* data, std::size_t bytes) override {
    const int64_t end = out.Tell();
    return end >= 0 && offset + bytes <= static_cast<uint64_t>(end) &&
           out.Seek(static_cast<int64_t>(offset), SEEK_SET) && out.Write(data, bytes) && out.Seek(end, SEEK_SET);
  }
};

std::unique_ptr<FormReader> OpenRaw(const std::string& path, bool hasTrailer) {
  ImageContent content;
  if (content.OpenFile(path) != ImageContent::Status::Ready) return nullptr;
  return PlainContentReader(std::move(content), hasTrailer);
}

std::unique_ptr<FormWriter> NewRawWriter(const FormWriteOptions&) { return std::make_unique<RawWriter>(); }

constexpr std::array<std::string_view, 1> kExtensions = {".img"};

}  // namespace

const ImageForm kRawForm = {
    .name = "raw",
    .extensions = kExtensions,
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
