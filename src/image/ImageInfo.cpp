#include "image/ImageInfo.h"

#include "base/CodePage.h"
#include "base/File.h"
#include "base/Texts.h"
#include "image/Trailer.h"
#include "image/TrailerFile.h"

int CImageInfo::ReadTrailer() {
  const TrailerFields defaults;
  m_description.clear();
  m_sectorsPerTrack = defaults.sectorsPerTrack;
  m_tracks = defaults.tracks;
  m_checksum = defaults.checksum;
  m_totalBytes = defaults.totalBytes;
  m_freeBytes = defaults.freeBytes;
  m_hasTrailer = 0;

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

int CImageInfo::WriteTrailer(IMessageBoxes& boxes) { return AppendTrailer(m_path, m_path, *this, boxes); }

int CImageInfo::ComputeCrc32(bool excludeTrailer, uint32_t& crc) const {
  return ImageCrc32(m_path, excludeTrailer, crc);
}

DescriptionPreview ReadDescriptionOnly(const std::string& path, std::string& description, IMessageBoxes& boxes) {
  description.clear();
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
