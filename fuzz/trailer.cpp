// The trailer reader on arbitrary blocks, and the whole source path (LoadInfo, geometry, description
// preview, integrity check, the check a write makes of the whole raw image) on arbitrary files of all three
// forms.
#include <unistd.h>

#include <cstring>
#include <string>

#include "NullMessageBoxes.h"
#include "base/File.h"
#include "image/Conversion.h"
#include "image/Trailer.h"
#include "image/WholeImageCheck.h"

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
  std::string path = "/tmp/diskelle-fuzz-trailer-" + std::to_string(::getpid()) + kExtensions[size % 3];
  {
    File file = File::Open(path, FileMode::Create);
    if (!file || !file.Write(data, size) || !file.Close()) return;
  }
  NullMessageBoxes boxes;
  CImageInfo image;
  if (image.LoadInfo(path, boxes) == 0) {
    CheckIntegrity(image, boxes);
    std::size_t blocks = 0;
    CheckWholeImage(image, boxes, [&blocks](const uint8_t*) { ++blocks; });
    if (blocks > kImageBufferBytes / 512) __builtin_trap();
  }
  std::string description;
  ReadDescriptionOnly(path, description, boxes);
  RemoveFile(path);
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
