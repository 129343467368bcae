#include "support/MfmTrackEncoder.h"

namespace {

constexpr uint8_t kGapByte = 0x4E;

class CellWriter {
 public:
  explicit CellWriter(std::vector<uint8_t>& cells) : cells_(cells) {}
  void Byte(uint8_t value) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool data = (value >> bit & 1) != 0;
      cells_.push_back(!previous_ && !data ? 1 : 0);
      cells_.push_back(data ? 1 : 0);
      previous_ = data;
    }
  }
  void Bytes(uint8_t value, int count) {
    for (int i = 0; i < count; ++i) Byte(value);
  }
  // A mark byte written with one clock left out: A1 (0x4489) before fields, C2 (0x5224) before the index mark.
  void Mark(uint16_t pattern) {
    for (int bit = 15; bit >= 0; --bit) cells_.push_back(static_cast<uint8_t>(pattern >> bit & 1));
    previous_ = (pattern & 1) != 0;
  }
  std::size_t Size() const { return cells_.size(); }

 private:
  std::vector<uint8_t>& cells_;
  bool previous_ = false;
};

struct Gaps {
  int gap4a = 80, sync = 12, gap1 = 50, gap2 = 22, gap3 = 84;
};

std::size_t TrackBytes(const Gaps& gaps, int sectors) {
  const std::size_t preamble = static_cast<std::size_t>(gaps.gap4a + gaps.sync + 4 + gaps.gap1);
  const std::size_t sector = static_cast<std::size_t>(gaps.sync + 4 + 6 + gaps.gap2 + gaps.sync + 4 + kSectorBytes + 2 + gaps.gap3);
  return preamble + sector * static_cast<std::size_t>(sectors);
}

}  // namespace

uint16_t ReferenceCrc16(const std::vector<uint8_t>& bytes) {
  uint16_t crc = 0xFFFF;
  for (uint8_t byte : bytes) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool top = ((crc >> 15) ^ (byte >> bit & 1)) != 0;
      crc = static_cast<uint16_t>(crc << 1);
      if (top) crc ^= 0x1021;
    }
  }
  return crc;
}

EncodedTrack EncodeMfmTrack(const FloppyGeometry& geometry, int cylinder, int head, const std::vector<uint8_t>& image,
                            std::size_t cellsPerRevolution) {
  const std::vector<uint16_t> order = FormatSectorIds(geometry);
  const std::size_t byteCells = 16;
  Gaps gaps;
  // The standard gaps where they fit, the short ones of crowded formats (DMF, 800 KB) where they do not.
  for (int shrink = 0; TrackBytes(gaps, geometry.sectorsPerTrack) * byteCells > cellsPerRevolution && shrink < 120; ++shrink) {
    if (gaps.gap3 > 8) --gaps.gap3;
    if (gaps.gap4a > 12) --gaps.gap4a;
    if (gaps.gap1 > 8) --gaps.gap1;
  }
  EncodedTrack track;
  track.ids.resize(order.size());
  track.data.resize(order.size());
  CellWriter out(track.cells);
  out.Bytes(kGapByte, gaps.gap4a);
  out.Bytes(0x00, gaps.sync);
  for (int i = 0; i < 3; ++i) out.Mark(0x5224);
  out.Byte(0xFC);
  out.Bytes(kGapByte, gaps.gap1);
  for (uint16_t sector : order) {
    const std::size_t slot = sector - 1u;
    std::vector<uint8_t> id = {0xA1, 0xA1, 0xA1, 0xFE, static_cast<uint8_t>(cylinder), static_cast<uint8_t>(head),
                               static_cast<uint8_t>(sector), 2};
    const uint16_t idCrc = ReferenceCrc16(id);
    out.Bytes(0x00, gaps.sync);
    for (int i = 0; i < 3; ++i) out.Mark(0x4489);
    out.Byte(0xFE);
    track.ids[slot].from = out.Size();
    for (std::size_t i = 4; i < id.size(); ++i) out.Byte(id[i]);
    out.Byte(static_cast<uint8_t>(idCrc >> 8));
    out.Byte(static_cast<uint8_t>(idCrc));
    track.ids[slot].to = out.Size();
    out.Bytes(kGapByte, gaps.gap2);
    out.Bytes(0x00, gaps.sync);
    for (int i = 0; i < 3; ++i) out.Mark(0x4489);
    out.Byte(0xFB);
    const auto at = static_cast<std::size_t>(geometry.LinearSector(cylinder, head, sector - 1) * kSectorBytes);
    std::vector<uint8_t> field = {0xA1, 0xA1, 0xA1, 0xFB};
    field.insert(field.end(), image.begin() + static_cast<std::ptrdiff_t>(at),
                 image.begin() + static_cast<std::ptrdiff_t>(at + kSectorBytes));
    const uint16_t dataCrc = ReferenceCrc16(field);
    track.data[slot].from = out.Size();
    for (std::size_t i = 4; i < field.size(); ++i) out.Byte(field[i]);
    out.Byte(static_cast<uint8_t>(dataCrc >> 8));
    out.Byte(static_cast<uint8_t>(dataCrc));
    track.data[slot].to = out.Size();
    out.Bytes(kGapByte, gaps.gap3);
  }
  while (out.Size() + byteCells <= cellsPerRevolution) out.Byte(kGapByte);
  track.cells.resize(cellsPerRevolution, 0);
  return track;
}
