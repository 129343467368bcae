#include "flux/MfmSectors.h"

#include <algorithm>
#include <cmath>

#include "flux/Crc16.h"

namespace {

constexpr uint32_t kSync = 0x4489;  // A1 without the clock between its fifth and sixth bits
constexpr std::size_t kIdBytes = 6;  // cylinder, head, sector, size code, CRC
// The gap between an ID field and its data field is 22 bytes and 12 of sync (a little more on 5.25" disks):
// a data field further away belongs to no ID field read.
constexpr std::size_t kLongestIdToData = 64 * 16;
constexpr std::size_t kByteCells = 16;
constexpr std::size_t kFollowingBytes = 2;

struct MfmByte {
  uint8_t value = 0;
  int clockErrors = 0;  // clock cells that break the MFM rule: a clock only between two empty data cells
};

MfmByte DecodeByte(const CellStream& cells, std::size_t at) {
  // The cell before the byte is the last data cell of the byte before.
  const uint32_t bits = cells.Bits(at == 0 ? 0 : at - 1, 17) >> (at == 0 ? 1 : 0);
  MfmByte byte;
  for (int k = 0; k < 8; ++k) {
    const bool previous = (bits >> (16 - 2 * k) & 1) != 0;
    const bool clock = (bits >> (15 - 2 * k) & 1) != 0;
    const bool data = (bits >> (14 - 2 * k) & 1) != 0;
    byte.value = static_cast<uint8_t>(byte.value << 1 | (data ? 1 : 0));
    if (clock != (!previous && !data)) ++byte.clockErrors;
  }
  return byte;
}

int ClockErrors(const CellStream& cells, std::size_t at, int bytes) {
  int errors = 0;
  for (int i = 0; i < bytes; ++i) errors += DecodeByte(cells, at + static_cast<std::size_t>(i) * kByteCells).clockErrors;
  return errors;
}

// Reads bytes from cell at on. Where the clock cells go wrong while those one cell earlier or later read
// cleanly, the separator has slipped a cell (after a damaged spot): reading goes on from there.
std::vector<uint8_t> ReadBytes(const CellStream& cells, std::size_t& at, std::size_t count) {
  constexpr int kLookahead = 3;
  std::vector<uint8_t> bytes;
  bytes.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    MfmByte byte = DecodeByte(cells, at);
    if (byte.clockErrors >= 2 && ClockErrors(cells, at, kLookahead) >= 3) {
      for (std::size_t shifted : {at - 1, at + 1}) {
        if (at > 0 && ClockErrors(cells, shifted, kLookahead) == 0) {
          at = shifted;
          byte = DecodeByte(cells, at);
          break;
        }
      }
    }
    bytes.push_back(byte.value);
    at += kByteCells;
  }
  return bytes;
}

void Place(const SeparatedTrack& track, std::size_t cell, SectorCopy& copy) {
  const std::vector<std::size_t>& index = track.indexCells;
  const auto after = std::upper_bound(index.begin(), index.end(), cell);
  copy.revolution = static_cast<int>(after - index.begin()) - 1;
  if (index.size() < 2) return;
  // Before the first index and after the last, the neighbouring revolution's length measures.
  const std::size_t from = copy.revolution < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(copy.revolution), index.size() - 2);
  const double length = static_cast<double>(index[from + 1] - index[from]);
  const double share = (static_cast<double>(cell) - static_cast<double>(index[from])) / std::max(length, 1.0);
  copy.place = share - std::floor(share);
}

}  // namespace

std::vector<SectorCopy> FindSectors(const SeparatedTrack& track) {
  const CellStream& cells = track.cells;
  std::vector<SectorCopy> copies;
  std::size_t idEnd = 0;
  bool idWaiting = false;  // the last copy's ID field waits for its data field
  // The size of the track's sectors where an ID field is damaged: that of the last one read whole.
  uint8_t trackSize = kSizeCode512;
  uint32_t recent = 0;
  for (std::size_t cell = 0; cell < cells.Size();) {
    recent = (recent << 1 | (cells.At(cell) ? 1u : 0u)) & 0xFFFF;
    ++cell;
    if (recent != kSync) continue;
    const std::size_t syncStart = cell - kByteCells;
    std::size_t at = cell;
    for (int more = 0; more < 2 && cells.Bits(at, 16) == kSync; ++more) at += kByteCells;
    const uint8_t mark = DecodeByte(cells, at).value;
    at += kByteCells;
    if (mark == kIdMark) {
      if (at + kIdBytes * kByteCells > cells.Size()) break;
      std::vector<uint8_t> id = ReadBytes(cells, at, kIdBytes);
      SectorCopy copy;
      copy.id = {id[0], id[1], id[2], id[3]};
      copy.idGood = FieldCrc(mark, id) == 0;
      if (copy.idGood && copy.id.SizeKnown()) trackSize = copy.id.sizeCode;
      Place(track, syncStart, copy);
      copies.push_back(std::move(copy));
      idWaiting = true;
      idEnd = at;
    } else if ((mark == kDataMark || mark == kDeletedMark) && idWaiting && syncStart - idEnd <= kLongestIdToData &&
               (copies.back().id.SizeKnown() || !copies.back().idGood)) {
      SectorCopy& copy = copies.back();
      const std::size_t bytes = (copy.idGood ? copy.id.Bytes() : SectorId{0, 0, 0, trackSize}.Bytes()) + 2;
      if (at + bytes * kByteCells > cells.Size()) break;  // the capture ends inside the field
      copy.field = ReadBytes(cells, at, bytes);
      std::size_t behind = at;
      copy.following = ReadBytes(cells, behind, std::min<std::size_t>(kFollowingBytes, (cells.Size() - at) / kByteCells));
      copy.mark = mark;
      copy.dataGood = FieldCrc(mark, copy.field) == 0;
      idWaiting = false;
    } else {
      continue;
    }
    cell = at;
    recent = 0;
  }
  return copies;
}
