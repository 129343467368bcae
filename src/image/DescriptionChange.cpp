// The change of description: a new trailer for an existing image, put in place without ever leaving the
// file without one.
#include <vector>

#include "base/CodePage.h"
#include "base/File.h"
#include "base/Texts.h"
#include "image/DescriptionChange.h"
#include "image/forms/ImageForm.h"
#include "image/trailer/Trailer.h"

namespace {

constexpr std::size_t kCopyChunkBytes = 64 * 1024;

// Writes the file's data followed by block into a new file beside it, then puts that file in its place:
// whatever fails, the old file with its old trailer is still there. 0, -2 (106), -3 (124 or 57701).
int ReplaceTrailer(const std::string& path, const std::string& block, IMessageBoxes& boxes) {
  File source = File::Open(path, FileMode::Read);
  FileSave save;
  if (!source || save.Begin(path) != FileSave::Start::Ready) {
    ShowError(boxes, kTextCannotCreate, {path});
    return -2;
  }
  std::optional<uint64_t> size = source.Size();
  if (!size || *size < static_cast<uint64_t>(kTrailerBytes)) {
    ShowError(boxes, kTextImageReadFailed);
    return -3;
  }
  auto fail = [&](int textId) {
    save.Abandon();
    ShowError(boxes, textId);
    return -3;
  };
  std::vector<uint8_t> chunk(kCopyChunkBytes);
  for (uint64_t remaining = *size - kTrailerBytes; remaining > 0;) {
    std::size_t want = remaining < chunk.size() ? static_cast<std::size_t>(remaining) : chunk.size();
    if (source.Read(chunk.data(), want) != want) return fail(kTextImageReadFailed);
    if (!save.Write(chunk.data(), want)) return fail(kTextCannotWriteTrailer);
    remaining -= want;
  }
  source.Close();
  if (!save.Write(block.data(), block.size()) || !save.Commit()) return fail(kTextCannotWriteTrailer);
  return 0;
}

}  // namespace

bool DescriptionChangeable(const CImageInfo& image) {
  // A form this program only reads is another tool's (a zip .imz): a trailer swapped at its end would break
  // it, and turning it into our own form is a conversion, which the user asks for.
  const ImageForm* form = FormOfFile(image.m_path);
  return image.m_hasTrailer && form && form->Writable();
}

int ChangeDescription(CImageInfo& image, const std::string& description, IMessageBoxes& boxes) {
  if (!DescriptionChangeable(image)) {
    ShowError(boxes, kTextConvertToNewFormatFirst);
    return -1;
  }
  // The data is not rewritten, so the stored checksum stays: recomputing it would vouch for data that may
  // have been damaged since the image was made.
  CImageInfo changed = image;
  changed.m_description = description;
  std::string block = FormatTrailer(changed);
  int result = ReplaceTrailer(image.m_path, block, boxes);
  if (result != 0) return result;
  image.m_description = FromSystemCodePage(ParseTrailer(reinterpret_cast<const uint8_t*>(block.data())).description);
  return 0;
}
