#include "image/forms/ZipForm.h"

#include <array>

#include "base/Texts.h"
#include "image/forms/ImageContent.h"
#include "image/forms/ZipImage.h"

namespace {

bool StartsWithZip(std::span<const uint8_t> head) { return StartsWithZipSignature(head.data(), head.size()); }

std::unique_ptr<FormReader> OpenArchived(const std::string& path, bool hasTrailer) {
  ImageContent content;
  if (content.OpenArchive(path) != ImageContent::Status::Ready) return nullptr;
  return PlainContentReader(std::move(content), hasTrailer);
}

// The archive carries no checksum of ours, but its own CRC-32 of the image is checked whenever it is unpacked.
bool CheckArchive(const std::string& path, IMessageBoxes& boxes) {
  ImageContent content;
  if (content.OpenArchive(path) != ImageContent::Status::Ready) {
    ShowError(boxes, kTextCrcBad);
    return false;
  }
  boxes.Show(0, kTextZipCrcGood, MessageIcon::Information);
  return true;
}

constexpr std::array<std::string_view, 1> kZipExtensions = {".imz"};

}  // namespace

const ImageForm kZipForm = {
    .name = "zip",
    .extensions = kZipExtensions,
    .description = kTextFormZipImz,
    .compressed = true,
    .rawSectors = false,
    .archive = true,
    .recordsBadSectors = false,
    .trailer = TrailerUse::Always,
    .recognises = &StartsWithZip,
    .holdsImage = nullptr,
    .openReader = &OpenArchived,
    .newWriter = nullptr,
    .checkItself = &CheckArchive,
};
