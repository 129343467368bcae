// The trailer reader on arbitrary blocks, and the whole source path (ImageSourcePath.h) on arbitrary files
// of all three forms.
#include <cstring>
#include <string>

#include "ImageSourcePath.h"
#include "image/trailer/Trailer.h"

namespace {

// Every number the parser found must survive formatting and parsing again unchanged.
void CheckRoundTrip(const TrailerFields& fields) {
  if (fields.kind != TrailerFields::Kind::Known) return;
  CImageInfo info;
  info.m_sectorsPerTrack = fields.sectorsPerTrack;
  info.m_tracks = fields.tracks;
  info.m_totalBytes = fields.totalBytes;
  info.m_freeBytes = fields.freeBytes;
  info.m_checksum = fields.checksum;
  std::string block = FormatTrailer(info);
  if (block.size() != static_cast<std::size_t>(kTrailerBytes)) __builtin_trap();
  TrailerFields again = ParseTrailer(reinterpret_cast<const uint8_t*>(block.data()));
  if (again.kind != TrailerFields::Kind::Known || again.sectorsPerTrack != fields.sectorsPerTrack ||
      again.tracks != fields.tracks || again.totalBytes != fields.totalBytes ||
      again.freeBytes != fields.freeBytes || again.checksum != fields.checksum || !again.description.empty()) {
    __builtin_trap();
  }
}

void ReadAsImageFile(const uint8_t* data, std::size_t size) {
  static const char* const kExtensions[] = {".img", ".imz", ".exe"};
  ReadThroughSourcePath(data, size, "trailer", kExtensions[size % 3]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  uint8_t block[kTrailerBytes] = {};
  std::memcpy(block, data, size < sizeof block ? size : sizeof block);
  CheckRoundTrip(ParseTrailer(block));
  if (size >= sizeof block) CheckRoundTrip(ParseTrailer(data + size - sizeof block));
  ReadAsImageFile(data, size);
  return 0;
}
