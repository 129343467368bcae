#pragma once
// Numbers stored least significant byte first, the order of every record this program reads or writes
// (disks, device packets, archives, registry values, pictures). Callers check the bounds.

#include <cstdint>

inline uint16_t GetLe16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }
inline uint32_t GetLe32(const uint8_t* at) { return GetLe16(at) | uint32_t{GetLe16(at + 2)} << 16; }
inline uint64_t GetLe64(const uint8_t* at) { return GetLe32(at) | uint64_t{GetLe32(at + 4)} << 32; }

inline void PutLe16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}
inline void PutLe32(uint8_t* at, uint32_t value) {
  PutLe16(at, static_cast<uint16_t>(value));
  PutLe16(at + 2, static_cast<uint16_t>(value >> 16));
}
