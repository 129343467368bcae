#include "image/trailer/Crc32.h"

#include <array>

namespace {

// Slicing by eight: table k advances a byte through k further zero bytes, so eight bytes take eight table
// reads instead of eight dependent steps. Checking a 1.44 MB image is the heaviest work of a disk read.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables tables{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (std::size_t k = 1; k < 8; ++k) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t previous = tables[k - 1][n];
      tables[k][n] = tables[0][previous & 0xFFu] ^ (previous >> 8);
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

uint32_t Step(uint32_t c, uint8_t byte) { return kTables[0][(c ^ byte) & 0xFFu] ^ (c >> 8); }

// Polynomials over GF(2) modulo the CRC's, in its reflected order: the top bit is x^0.
constexpr uint32_t MultiplyModulo(uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (uint32_t bit = 1u << 31; bit != 0 && a != 0; bit >>= 1) {
    if (a & bit) {
      product ^= b;
      a ^= bit;
    }
    b = (b & 1) ? 0xEDB88320u ^ (b >> 1) : b >> 1;  // b times x
  }
  return product;
}

// x^(2^k) modulo the polynomial, for k = 0..63: a zero byte multiplies the register by x^8.
using Powers = std::array<uint32_t, 64>;

constexpr Powers MakePowers() {
  Powers powers{};
  powers[0] = 1u << 30;  // x^1
  for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = MultiplyModulo(powers[k - 1], powers[k - 1]);
  return powers;
}

constexpr Powers kPowers = MakePowers();

}  // namespace

void Crc32::Update(const void* data, std::size_t bytes) {
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t c = state_;
  while (bytes >= 8) {
    // Assembled byte by byte: the result does not depend on the machine's byte order or alignment.
    uint32_t low = c ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
    uint32_t high = uint32_t{p[4]} | uint32_t{p[5]} << 8 | uint32_t{p[6]} << 16 | uint32_t{p[7]} << 24;
    c = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^ kTables[5][(low >> 16) & 0xFFu] ^
        kTables[4][low >> 24] ^ kTables[3][high & 0xFFu] ^ kTables[2][(high >> 8) & 0xFFu] ^
        kTables[1][(high >> 16) & 0xFFu] ^ kTables[0][high >> 24];
    p += 8;
    bytes -= 8;
  }
  while (bytes-- > 0) c = Step(c, *p++);
  state_ = c;
}

void Crc32::UpdateZeros(uint64_t bytes) {
  // The register times x^(8 * bytes); 8 * bytes taken bit by bit from x^8 = x^(2^3) up.
  for (std::size_t k = 3; bytes != 0 && k < kPowers.size(); ++k, bytes >>= 1) {
    if (bytes & 1) state_ = MultiplyModulo(kPowers[k], state_);
  }
}
