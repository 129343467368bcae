// CImageInfo: the record's trailer, its checks as a source or a destination with their messages, and the
// geometry of images whose trailer does not give a usable one.
#include "image/ImageInfo.h"

#include <vector>

#include "base/CodePage.h"
#include "base/File.h"
#include "base/Texts.h"
#include "image/ImageBytes.h"
#include "image/forms/ImageForm.h"
#include "image/ImageSaveStart.h"
#include "image/RawImageInput.h"
#include "image/trailer/Trailer.h"
#include "image/TrailerFile.h"

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
  const ImageForm* form = FormOfPath(m_path);
  if (!form) return 0;
  m_compressed = form->compressed ? 1 : 0;
  return 1;
}

bool HoldsImage(const std::string& path) {
  const ImageForm* form = FormOfFile(path);
  return form && (!form->holdsImage || form->holdsImage(path));
}

int CImageInfo::LoadInfo(const std::string& path, IMessageBoxes& boxes) {
  m_path = path;
  m_imageBytes = 0;
  if (!File::Open(path, FileMode::Read)) {
    ShowError(boxes, kTextCannotOpen, {path});
    return -1;
  }
  if (!CheckExtension()) {
    ShowUnsupportedExtension(boxes);
    return -2;
  }
  if (!HoldsImage(path)) {
    ShowImageUnreadable(path, boxes, kTextExeWithoutImage);
    return -3;
  }
  // Another tool's form says itself what it holds; its last bytes are sectors, never a trailer.
  if (const ImageForm* form = FormOfFile(path); form && form->readFacts) {
    std::optional<FormFacts> facts = form->readFacts(path, boxes);
    if (!facts) return -6;
    *this = CImageInfo();
    m_path = path;
    CheckExtension();
    m_description = facts->description;
    m_tracks = facts->geometry.tracks;
    m_sectorsPerTrack = facts->geometry.sectorsPerTrack;
    m_imageBytes = static_cast<int32_t>(facts->geometry.TotalBytes());
    m_state = ImageState::Source;
    return 0;
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
  // A form this program only reads is refused now, before a disk is read or an image converted for it.
  const ImageForm* form = FormOfPath(path);
  if (!form || !form->Writable()) {
    ShowUnsupportedExtension(boxes, true);
    return -1;
  }
  CheckExtension();
  // The save comes only after a whole read or conversion: a target it would refuse then (no folder to write
  // to, a device, FIFO or folder, a read-only file) is refused now, with the save's own answer. The read
  // refuses floppy drives itself, without spinning one up here.
  if (!OnFloppyDrive(path) && !CheckImageSave(path, boxes)) return -2;
  m_state = ImageState::Target;
  return 0;
}

bool CImageInfo::DetectGeometry(IMessageBoxes& boxes) {
  std::optional<int64_t> bytes = RawImageBytes(m_path, m_hasTrailer != 0);
  if (!bytes) {
    ShowImageUnreadable(m_path, boxes, kTextImageReadFailed);
    return false;
  }
  m_imageBytes = *bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(*bytes);
  FloppyGeometry geometry = ClassifyImageSize(*bytes);
  m_tracks = geometry.tracks;
  m_sectorsPerTrack = geometry.sectorsPerTrack;
  return true;
}

int CImageInfo::ReadTrailer() {
  const TrailerFields defaults;
  m_description.clear();
  m_sectorsPerTrack = defaults.sectorsPerTrack;
  m_tracks = defaults.tracks;
  m_checksum = defaults.checksum;
  m_totalBytes = defaults.totalBytes;
  m_freeBytes = defaults.freeBytes;
  m_hasTrailer = 0;
  const ImageForm* form = FormOfPath(m_path);
  if (form && form->trailer == TrailerUse::Never) return 0;

  uint8_t block[kTrailerBytes];
  switch (ReadLastBlock(m_path, block)) {
    case 0: break;
    case -3: return -3;
    case -4: return -4;
    default: return -1;
  }
  TrailerFields fields = ParseTrailer(block);
  if (fields.kind == TrailerFields::Kind::None) return 0;
  m_hasTrailer = 1;
  if (fields.kind == TrailerFields::Kind::Newer) return -2;
  m_description = FromSystemCodePage(fields.description);
  m_sectorsPerTrack = fields.sectorsPerTrack;
  m_tracks = fields.tracks;
  m_checksum = fields.checksum;
  m_totalBytes = fields.totalBytes;
  m_freeBytes = fields.freeBytes;
  return 0;
}

TrailerFields TrailerFieldsOf(const CImageInfo& info) {
  std::string_view description = info.m_description;
  description = description.substr(0, description.find_first_of(std::string_view("\x01\0", 2)));
  TrailerFields fields;
  fields.description = ToSystemCodePageCut(description, kDescriptionBytes);
  fields.sectorsPerTrack = info.m_sectorsPerTrack;
  fields.tracks = info.m_tracks;
  fields.totalBytes = info.m_totalBytes;
  fields.freeBytes = info.m_freeBytes;
  fields.checksum = info.m_checksum;
  return fields;
}

std::string FormatTrailer(const CImageInfo& info) { return FormatTrailerBlock(TrailerFieldsOf(info)); }

int CImageInfo::WriteTrailer(IMessageBoxes& boxes) {
  return AppendTrailer(m_path, m_path, TrailerFieldsOf(*this), m_checksum, boxes);
}

int CImageInfo::ComputeCrc32(bool excludeTrailer, uint32_t& crc) const {
  return ImageCrc32(m_path, excludeTrailer, crc);
}

DescriptionPreview ReadDescriptionOnly(const std::string& path, std::string& description, IMessageBoxes& boxes) {
  description.clear();
  if (const ImageForm* form = FormOfFile(path); form && form->readFacts) {
    // A preview stays quiet about files it cannot read.
    QuietMessageBoxes quiet;
    std::optional<FormFacts> facts = form->readFacts(path, quiet);
    if (!facts) return DescriptionPreview::Unreadable;
    description = facts->description;
    return description.empty() ? DescriptionPreview::Empty : DescriptionPreview::Shown;
  }
  uint8_t block[kTrailerBytes];
  int read = ReadLastBlock(path, block);
  if (read != 0) return read == -2 ? DescriptionPreview::NoTrailer : DescriptionPreview::Unreadable;
  TrailerFields fields = ParseTrailer(block);
  switch (fields.kind) {
    case TrailerFields::Kind::None: return DescriptionPreview::NoTrailer;
    case TrailerFields::Kind::Newer:
      ShowMessage(boxes, MessageIcon::Exclamation, kTextNewerVersion);
      return DescriptionPreview::NewerVersion;
    case TrailerFields::Kind::Known: break;
  }
  description = FromSystemCodePage(fields.description);
  return description.empty() ? DescriptionPreview::Empty : DescriptionPreview::Shown;
}

int RemoveTrailer(const std::string& path) {
  std::optional<uint64_t> size = FileSize(path);
  if (!size || *size < static_cast<uint64_t>(kTrailerBytes)) return -1;
  return TruncateFile(path, *size - kTrailerBytes) ? 0 : -1;
}
