// CImageInfo as a source or a destination: form, checks with their messages, and the geometry of images
// whose trailer does not give a usable one.
#include <vector>

#include "base/File.h"
#include "base/Texts.h"
#include "image/Conversion.h"
#include "image/ImageContent.h"
#include "image/ImageForm.h"
#include "image/ImageInfo.h"
#include "image/ImageStream.h"
#include "image/RawImageInput.h"

// A trailer states 0 for both when its geometry is unknown; a damaged one may state anything. Only a
// geometry that fits an image we can hold is passed on to the disk jobs; images without a trailer (compatible
// mode, other tools) take theirs from their size too, as 80 x 18 would misstate every other format.
bool UsableGeometry(int32_t tracks, int32_t sectorsPerTrack) {
  constexpr int64_t kMostSectorPairs = static_cast<int64_t>(kImageBufferBytes) / (kHeads * kSectorBytes);
  return tracks > 0 && sectorsPerTrack > 0 && int64_t{tracks} * sectorsPerTrack <= kMostSectorPairs;
}

namespace {

// The raw size of an image, counted up to one byte more than the largest image we hold when it is known only
// at the end of its stream (a stream may expand to gigabytes; beyond that the size classifies the same).
std::optional<int64_t> RawImageBytes(const std::string& path, bool hasTrailer) {
  RawImageInput input;
  if (!input.Open(path, hasTrailer)) return std::nullopt;
  if (std::optional<uint64_t> known = input.KnownBytes()) {
    return *known > INT64_MAX ? INT64_MAX : static_cast<int64_t>(*known);
  }
  std::vector<uint8_t> scratch(64 * 1024);
  int64_t total = 0;
  while (total <= static_cast<int64_t>(kImageBufferBytes)) {
    int64_t got = input.Read(scratch.data(), scratch.size());
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    total += got;
  }
  return total;
}

}  // namespace

int CImageInfo::CheckExtension() {
  switch (FormOfPath(m_path)) {
    case ImageForm::Plain: m_compressed = 0; return 1;
    case ImageForm::Compressed:
    case ImageForm::SelfExtracting: m_compressed = 1; return 1;
    case ImageForm::Unknown: break;
  }
  return 0;
}

int CImageInfo::LoadInfo(const std::string& path, IMessageBoxes& boxes) {
  m_path = path;
  m_imageBytes = 0;
  if (!File::Open(path, FileMode::Read)) {
    ShowError(boxes, kTextCannotOpen, {path});
    return -1;
  }
  if (!CheckExtension()) {
    ShowError(boxes, kTextUnsupportedExtension);
    return -2;
  }
  if (FormOfPath(path) == ImageForm::SelfExtracting && !ExeHasImage(path)) {
    ShowError(boxes, kTextExeWithoutImage);
    return -3;
  }
  switch (ReadTrailer()) {
    case -1: {
      std::optional<uint64_t> size = ImageContentSize(path);
      if (size && *size < static_cast<uint64_t>(kTrailerBytes)) {
        // Every image we write ends in a trailer, and no floppy is that small: an empty or cut file.
        boxes.Show(0, FormatText(kTextNotAnImageFile, {boxes.ShownArgument(path)}), MessageIcon::Error);
      } else {
        ShowError(boxes, kTextCannotOpenAntivirus, {path});
      }
      return -4;
    }
    case -2: ShowError(boxes, kTextNewerVersion); return -5;
    // A zip .imz carries its trailer inside: unread, nothing about the image is known, so it is refused now.
    case -3: ShowError(boxes, kTextImageReadFailed); return -6;
    case -4: ShowError(boxes, kTextImageLargerThan2MB); return -6;
    default: break;
  }
  if ((!m_hasTrailer || !UsableGeometry(m_tracks, m_sectorsPerTrack)) && !DetectGeometry(boxes)) return -6;
  m_state = ImageState::Source;
  return 0;
}

int CImageInfo::SetTarget(const std::string& path, IMessageBoxes& boxes) {
  m_path = path;
  if (!CheckExtension()) {
    ShowError(boxes, kTextUnsupportedExtension);
    return -1;
  }
  // The save comes only after a whole read or conversion: a target it would refuse then (no folder to write
  // to, a device, FIFO or folder, a read-only file) is refused now, by the save's own first step (its
  // temporary file goes again at once). The read refuses floppy drives itself, without spinning one up here.
  if (!OnFloppyDrive(path)) {
    FileSave probe;
    if (!BeginImageSave(probe, path, boxes)) return -2;
  }
  m_state = ImageState::Target;
  return 0;
}

bool CImageInfo::DetectGeometry(IMessageBoxes& boxes) {
  std::optional<int64_t> bytes = RawImageBytes(m_path, m_hasTrailer != 0);
  if (!bytes) {
    ShowError(boxes, kTextImageReadFailed);
    return false;
  }
  m_imageBytes = *bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(*bytes);
  FloppyGeometry geometry = ClassifyImageSize(*bytes);
  m_tracks = geometry.tracks;
  m_sectorsPerTrack = geometry.sectorsPerTrack;
  return true;
}
