#include "image/forms/Td0Image.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "base/LittleEndian.h"
#include "image/forms/ByteCursor.h"
#include "image/forms/Td0Decompress.h"

namespace {

constexpr uint8_t kCommentFollows = 0x80;  // in the header's stepping byte
constexpr uint8_t kSingleDensity = 0x80;   // in the data rate, and in a track header's head byte
constexpr uint8_t kEndOfTracks = 0xFF;
constexpr int kFirstLzhufVersion = 20;     // 2.0: earlier versions compressed otherwise
constexpr int kCommentHeaderBytes = 10;
constexpr int kSectorHeaderBytes = 6;
constexpr uint8_t kLargestSizeCode = 7;    // 16384 bytes; larger codes carry no data
// Sector flags.
constexpr uint8_t kDataError = 0x02, kSkippedAsFree = 0x10, kNoDataMark = 0x20, kNoId = 0x40;
// What Teledisk writes into a sector it skipped as free space when it makes the disk again.
constexpr uint8_t kFreeSpaceFill = 0xF6;
constexpr std::size_t kMostTracks = 2 * 256 * 2;

ArchiveProblem Problem(ArchiveProblem::Kind kind, int value = 0, int expected = 0) {
  ArchiveProblem problem;
  problem.kind = kind;
  problem.value = value;
  problem.expected = expected;
  return problem;
}

ArchiveProblem TrackProblem(ArchiveProblem::Kind kind, const ArchivedTrack& track, int value) {
  ArchiveProblem problem = Problem(kind, value);
  problem.cylinder = track.cylinder;
  problem.head = track.head;
  return problem;
}

// Unpacks a sector's data block (its encoding byte first) into out, which has the sector's size; false when
// the block does not fill it exactly.
bool UnpackSector(std::span<const uint8_t> block, std::vector<uint8_t>& out) {
  std::span<const uint8_t> rest = block.subspan(1);
  switch (block[0]) {
    case 0:
      if (rest.size() != out.size()) return false;
      std::copy(rest.begin(), rest.end(), out.begin());
      return true;
    case 1: {
      if (rest.size() != 4 || std::size_t{GetLe16(rest.data())} * 2 != out.size()) return false;
      for (std::size_t at = 0; at < out.size(); at += 2) std::copy(rest.begin() + 2, rest.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
      return true;
    }
    default: break;
  }
  // Runs: a literal (0, length, bytes), or a block of 2 * kind bytes repeated (kind, count, block).
  std::size_t filled = 0;
  while (!rest.empty()) {
    if (rest.size() < 2) return false;
    const std::size_t kind = rest[0], count = rest[1];
    rest = rest.subspan(2);
    const std::size_t blockBytes = kind == 0 ? count : 2 * kind;
    const std::size_t repeats = kind == 0 ? 1 : count;
    if (rest.size() < blockBytes || out.size() - filled < blockBytes * repeats) return false;
    for (std::size_t r = 0; r < repeats; ++r, filled += blockBytes) {
      std::copy(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(blockBytes), out.begin() + static_cast<std::ptrdiff_t>(filled));
    }
    rest = rest.subspan(blockBytes);
  }
  return filled == out.size();
}

}  // namespace

namespace {

// Every sector's data is summed: a byte at a time from a table keeps the parse near the cost of a copy.
constexpr std::array<uint16_t, 256> kTd0CrcTable = [] {
  std::array<uint16_t, 256> table{};
  for (int byte = 0; byte < 256; ++byte) {
    auto crc = static_cast<uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0xA097 : crc << 1);
    table[static_cast<std::size_t>(byte)] = crc;
  }
  return table;
}();

}  // namespace

uint16_t Td0Crc(std::span<const uint8_t> bytes, uint16_t crc) {
  for (uint8_t byte : bytes) {
    crc = static_cast<uint16_t>((crc << 8) ^ kTd0CrcTable[static_cast<std::size_t>((crc >> 8) ^ byte)]);
  }
  return crc;
}

ArchiveParse ParseTd0(std::span<const uint8_t> file) {
  using Kind = ArchiveProblem::Kind;
  if (file.size() < kTd0HeaderBytes) return Problem(Kind::NotTheForm);
  std::span<const uint8_t> header = file.first(kTd0HeaderBytes);
  const bool advanced = std::memcmp(header.data(), "td", 2) == 0;
  if (!advanced && std::memcmp(header.data(), "TD", 2) != 0) return Problem(Kind::NotTheForm);
  const uint16_t headerSum = Td0Crc(header.first(10));
  if (headerSum != GetLe16(header.data() + 10)) return Problem(Kind::HeaderSum, GetLe16(header.data() + 10), headerSum);
  if (header[2] != 0) return Problem(Kind::Volume, header[2]);
  const uint8_t version = header[4], dataRate = header[5], stepping = header[7];
  if (advanced && version < kFirstLzhufVersion) return Problem(Kind::OldCompression, version);

  ArchivedDisk disk;
  disk.sumsMatched = 1;
  std::optional<std::vector<uint8_t>> unpacked;
  std::span<const uint8_t> body = file.subspan(kTd0HeaderBytes);
  if (advanced) {
    unpacked = Td0Decompress(body, kLargestArchiveBytes);
    if (!unpacked) return Problem(Kind::TooLarge);
    body = *unpacked;
  }
  ByteCursor in(body);

  if (stepping & kCommentFollows) {
    std::span<const uint8_t> commentHeader = in.Take(kCommentHeaderBytes);
    if (commentHeader.empty()) return Problem(Kind::Cut);
    std::span<const uint8_t> text = in.Take(GetLe16(commentHeader.data() + 2));
    if (text.empty() && GetLe16(commentHeader.data() + 2) != 0) return Problem(Kind::Cut);
    const uint16_t commentSum = Td0Crc(text, Td0Crc(commentHeader.subspan(2)));
    if (commentSum != GetLe16(commentHeader.data())) {
      return Problem(Kind::CommentSum, GetLe16(commentHeader.data()), commentSum);
    }
    ++disk.sumsMatched;
    for (uint8_t byte : text) disk.comment += byte == 0 ? '\n' : static_cast<char>(byte);
  }

  std::vector<uint8_t> data;
  for (;;) {
    std::span<const uint8_t> count = in.Take(1);
    if (count.empty()) return Problem(Kind::Cut);
    if (count[0] == kEndOfTracks) break;
    std::span<const uint8_t> rest = in.Take(3);
    if (rest.empty()) return Problem(Kind::Cut);
    if (disk.tracks.size() == kMostTracks) return Problem(Kind::TooLarge);
    ArchivedTrack& track = disk.tracks.emplace_back();
    track.cylinder = rest[0];
    track.head = rest[1] & ~kSingleDensity;
    track.fm = ((rest[1] | dataRate) & kSingleDensity) != 0;
    const uint8_t trackHeader[3] = {count[0], rest[0], rest[1]};
    if ((Td0Crc(trackHeader) & 0xFF) != rest[2]) return TrackProblem(Kind::TrackSum, track, rest[2]);
    ++disk.sumsMatched;
    for (int s = 0; s < count[0]; ++s) {
      std::span<const uint8_t> sectorHeader = in.Take(kSectorHeaderBytes);
      if (sectorHeader.empty()) return Problem(Kind::Cut);
      ArchivedSector sector;
      sector.cylinder = sectorHeader[0];
      sector.head = sectorHeader[1];
      sector.number = sectorHeader[2];
      sector.sizeCode = sectorHeader[3];
      const uint8_t flags = sectorHeader[4], sum = sectorHeader[5];
      const bool hasData = (flags & (kSkippedAsFree | kNoDataMark)) == 0 && sector.sizeCode <= kLargestSizeCode;
      if (!hasData) {
        // The header's own CRC stands in for the data's.
        bool matched = (Td0Crc(sectorHeader.first(5)) & 0xFF) == sum;
        ++(matched ? disk.sumsMatched : disk.sectorSumsFailed);
        if ((flags & kSkippedAsFree) && sector.sizeCode == 2) {
          if (disk.bytes.size() + kSectorBytes > kLargestArchiveBytes) return Problem(Kind::TooLarge);
          sector.data = ArchivedSector::Data::Good;
          sector.at = static_cast<uint32_t>(disk.bytes.size());
          disk.bytes.resize(disk.bytes.size() + kSectorBytes, kFreeSpaceFill);
        }
      } else {
        std::span<const uint8_t> blockSize = in.Take(2);
        if (blockSize.empty()) return Problem(Kind::Cut);
        std::span<const uint8_t> block = in.Take(GetLe16(blockSize.data()));
        if (block.empty()) return Problem(GetLe16(blockSize.data()) == 0 ? Kind::SectorData : Kind::Cut);
        if (block[0] > 2) return TrackProblem(Kind::Encoding, track, block[0]);
        data.assign(std::size_t{128} << sector.sizeCode, 0);
        if (!UnpackSector(block, data)) return TrackProblem(Kind::SectorData, track, sector.number);
        // The low byte of the data's CRC; some writers started it with the header's.
        const bool matched = (Td0Crc(data) & 0xFF) == sum || (Td0Crc(data, Td0Crc(sectorHeader.first(5))) & 0xFF) == sum;
        ++(matched ? disk.sumsMatched : disk.sectorSumsFailed);
        sector.data = matched && (flags & kDataError) == 0 ? ArchivedSector::Data::Good : ArchivedSector::Data::Damaged;
        if (sector.data == ArchivedSector::Data::Good && data.size() == kSectorBytes) {
          if (disk.bytes.size() + kSectorBytes > kLargestArchiveBytes) return Problem(Kind::TooLarge);
          sector.at = static_cast<uint32_t>(disk.bytes.size());
          disk.bytes.insert(disk.bytes.end(), data.begin(), data.end());
        }
      }
      // A sector Teledisk found data of but no ID for stands for nothing on the disk.
      if ((flags & kNoId) == 0) track.sectors.push_back(sector);
    }
  }
  return disk;
}
