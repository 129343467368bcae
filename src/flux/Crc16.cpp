#include "flux/Crc16.h"

#include <array>

namespace {

constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    uint16_t crc = static_cast<uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<uint16_t>(crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1);
    table[byte] = crc;
  }
  return table;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();

}  // namespace

uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t crc) {
  for (uint8_t byte : bytes) crc = static_cast<uint16_t>(crc << 8 ^ kTable[(crc >> 8 ^ byte) & 0xFF]);
  return crc;
}

uint16_t FieldCrc(uint8_t mark, std::span<const uint8_t> bytes) {
  const uint8_t head[4] = {0xA1, 0xA1, 0xA1, mark};
  return Crc16(bytes, Crc16(head));
}
