#include "image/Crc32.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

void Crc32::Update(const void* data, std::size_t bytes) {
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t c = state_;
  for (std::size_t i = 0; i < bytes; ++i) c = kTable[(c ^ p[i]) & 0xFFu] ^ (c >> 8);
  state_ = c;
}
