#pragma once
// CRC-32 as zlib computes it (reflected polynomial 0xEDB88320), fed in pieces so that a file is checked in
// chunks of any size with the same result as in one piece.

#include <cstddef>
#include <cstdint>

class Crc32 {
 public:
  void Update(const void* data, std::size_t bytes);
  // The same as Update over `bytes` zero bytes, in steps that grow with the count's bits rather than its size:
  // a hole in a raw image costs nothing to check.
  void UpdateZeros(uint64_t bytes);
  uint32_t Value() const { return ~state_; }

 private:
  uint32_t state_ = 0xFFFFFFFFu;
};
