#include "image/ImageSectors.h"

#include "base/File.h"
#include "base/Geometry.h"
#include "base/BadSectorMarker.h"
#include "base/Texts.h"
#include "image/Conversion.h"
#include "image/ImageInfo.h"
#include "image/RescueMap.h"

std::optional<DiskSectors> LoadImageSectors(const std::string& path, IMessageBoxes& boxes) {
  CImageInfo info;
  if (info.LoadInfo(path, boxes) != 0) return std::nullopt;
  ImageBuffer buffer;
  if (LoadImageFile(info, buffer, boxes) != 0) return std::nullopt;
  DiskSectors disk;
  buffer.bytes.resize(buffer.count);
  disk.bytes = std::move(buffer.bytes);
  const std::size_t sectors = disk.bytes.size() / kSectorBytes;
  disk.bad.assign(sectors, false);
  for (std::size_t s = 0; s < sectors; ++s) {
    disk.bad[s] = (s < buffer.bad.size() && buffer.bad[s]) || IsBadSectorMarker(disk.bytes.data() + s * kSectorBytes);
  }
  const std::string mapPath = RescueMapPathOf(path);
  if (UseOfName(mapPath) == NameUse::RegularFile) {
    if (auto map = LoadRescueMap(mapPath, disk.bytes.size(), boxes, kTextFilesMapDamaged)) {
      for (std::size_t s = 0; s < sectors && s < map->size(); ++s) disk.bad[s] = disk.bad[s] || (*map)[s] != '+';
    }
  }
  return disk;
}
