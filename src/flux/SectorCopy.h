#pragma once
// What one pass of the head over a sector gave: its ID field and the data field behind it, each with whether
// its CRC held.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

// The address marks that follow the sync bytes, and the size code of a 512-byte sector.
inline constexpr uint8_t kIdMark = 0xFE, kDataMark = 0xFB, kDeletedMark = 0xF8;
inline constexpr uint8_t kSizeCode512 = 2;

// Cylinder, head, sector number and size code, as the ID field states them.
struct SectorId {
  uint8_t cylinder = 0;
  uint8_t head = 0;
  uint8_t sector = 0;
  uint8_t sizeCode = 0;
  auto operator<=>(const SectorId&) const = default;
  // 128 << size code; the codes a controller formats go up to 6.
  std::size_t Bytes() const { return std::size_t{128} << sizeCode; }
  bool SizeKnown() const { return sizeCode <= 6; }
};

struct SectorCopy {
  SectorId id;
  bool idGood = false;
  uint8_t mark = 0;            // of the data field: FB data, F8 deleted data; 0 when no data field followed
  std::vector<uint8_t> field;  // the data field as read: the sector's bytes, then its two CRC bytes
  // Up to two bytes read behind the field, where the track goes on: a copy that slipped a bit behind a
  // damaged spot has its last bits there.
  std::vector<uint8_t> following;
  bool dataGood = false;
  int revolution = -1;         // in which revolution its ID field began; -1 before the first index pulse
  double place = 0;            // where in that revolution, as a share of it from the index pulse

  bool HasData() const { return mark != 0; }
};
