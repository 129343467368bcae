#include "image/trailer/Trailer.h"

#include "base/Format.h"
#include "image/trailer/TagScanner.h"

namespace {

constexpr std::string_view kTag = "[FileVersion ";
constexpr std::size_t kVersion1Description = 32;

}  // namespace

TrailerFields ParseTrailer(const uint8_t* block) {
  TrailerFields fields;
  std::string_view text = BlockText(block, kTrailerBytes);
  if (!text.starts_with(kTag)) return fields;
  fields.kind = TrailerFields::Kind::Known;
  int32_t version = ReadDecimal(text, kTag.size());
  if (version > kTrailerVersion) {
    fields.kind = TrailerFields::Kind::Newer;
    return fields;
  }
  if (version == 1) {
    // The first version kept its description at a fixed place, whatever the bytes before it hold.
    fields.description = std::string(BlockText(block + kVersion1Description, kTrailerBytes - kVersion1Description));
    return fields;
  }
  if (version < 1) return fields;

  TagScanner scanner(text);
  if (auto description = scanner.Text("[Description ")) fields.description = std::string(*description);
  if (auto sectors = scanner.Number("[SectorsPerTrack ")) fields.sectorsPerTrack = *sectors;
  if (version == 2) return fields;
  if (auto tracks = scanner.Number("[Tracks ")) fields.tracks = *tracks;
  if (auto total = scanner.Number("[TotalBytes ")) fields.totalBytes = *total;
  if (auto free = scanner.Number("[FreeBytes ")) fields.freeBytes = *free;
  if (auto checksum = scanner.HexNumber("[Checksum ")) fields.checksum = *checksum;
  return fields;
}

std::string FormatTrailerBlock(const TrailerFields& fields) {
  std::string text = FormatText(
      "[FileVersion %s] [Description %s\x01] [SectorsPerTrack %d] [Tracks %d] [TotalBytes %d] [FreeBytes %d] "
      "[Checksum %#x]",
      {"003", fields.description, fields.sectorsPerTrack, fields.tracks, fields.totalBytes, fields.freeBytes,
       fields.checksum});
  text.resize(kTrailerBytes, '\0');
  return text;
}
