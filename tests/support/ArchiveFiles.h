#pragma once
// ImageDisk and Teledisk files crafted here, record by record, for the tests and the benchmark: plain ones
// from a raw image, and ones with every record type, interleave, maps, flags and damage a test asks for.
// Teledisk's advanced compression is made by an LZSS encoder of its own over the product's adaptive code
// (which must adapt exactly as the decoder's); the other tools' readers (tests/cli) check both.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Geometry.h"

struct CraftedSector {
  enum class Kind { Data, Deleted, DataError, DeletedWithError, Unavailable };
  uint8_t cylinder = 0, head = 0, number = 1;  // the ID
  uint8_t sizeCode = 2;
  Kind kind = Kind::Data;
  std::string data;  // 128 << sizeCode bytes (none for Unavailable)
};

struct CraftedTrack {
  uint8_t cylinder = 0, head = 0;  // where the drive stood
  bool fm = false;
  std::vector<CraftedSector> sectors;
};

// The tracks of a raw image of geometry: sectors numbered 1..n in the order order gives (1..n when empty),
// IDs naming their place; tracks on cylinder * step (2: a 40-track disk read in an 80-track drive, the odd
// cylinders recorded empty).
std::vector<CraftedTrack> TracksOf(std::string_view raw, const FloppyGeometry& geometry,
                                   const std::vector<uint8_t>& order = {}, int step = 1);

struct ImdStyle {
  std::string header = "IMD 1.18: 01/02/2003 04:05:06";
  std::string comment{};   // lines ended by CR LF, as ImageDisk writes them
  bool compress = true;    // uniform sectors as their fill byte
  bool maps = false;       // cylinder and head maps on every track (always where the IDs name another place)
  uint8_t mode = 5;        // 250 kbps MFM (FM tracks: 2)
};
std::string CraftImd(const std::vector<CraftedTrack>& tracks, const ImdStyle& style = {});

struct Td0Style {
  bool advanced = false;  // "td": everything after the header LZHUF-compressed
  std::string comment{};  // its lines as NUL-ended records
  int encoding = 2;       // sector data: 0 raw, 1 repeated pattern where it fits (else raw), 2 runs
  uint8_t version = 21;
  uint8_t dataRate = 2;
};
std::string CraftTd0(const std::vector<CraftedTrack>& tracks, const Td0Style& style = {});

// Teledisk's advanced compression of bytes (no length before it).
std::string LzhufCompress(std::string_view bytes);
// Teledisk's CRC, computed bit by bit here: an oracle apart from the product's.
uint16_t ReferenceTd0Crc(std::string_view bytes, uint16_t crc = 0);
