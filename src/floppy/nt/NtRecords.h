#pragma once
// The byte layouts of the NT disk records that cross the syscall seam, little-endian as the OS lays them
// out: DISK_GEOMETRY (the geometry reply), FORMAT_PARAMETERS and FORMAT_EX_PARAMETERS (format requests).
// The device builds requests with these and the simulated drive reads them back.

#include <array>
#include <cstdint>
#include <vector>

#include "floppy/nt/NtSyscalls.h"

struct NtDiskGeometry {
  int64_t cylinders = 0;
  uint32_t mediaType = 0;
  uint32_t tracksPerCylinder = 0;
  uint32_t sectorsPerTrack = 0;
  uint32_t bytesPerSector = 0;
};

struct NtFormatParameters {
  uint32_t mediaType = 0;
  uint32_t startCylinder = 0;
  uint32_t endCylinder = 0;
  uint32_t startHead = 0;
  uint32_t endHead = 0;
};

// FORMAT_EX_PARAMETERS: the plain fields, then gap length, sector count and the sector IDs in track order.
struct NtFormatExParameters {
  NtFormatParameters plain;
  uint16_t gapLength = 0;
  uint16_t sectorsPerTrack = 0;
  std::vector<uint16_t> sectorIds;
};

inline constexpr uint32_t kFormatExIdsOffset = 24;
// The sector IDs that fit in the 224 bytes the extended request is always sent with.
inline constexpr uint32_t kFormatExMaxIds = (kFormatExParametersBytes - kFormatExIdsOffset) / 2;

std::array<uint8_t, kDiskGeometryBytes> EncodeDiskGeometry(const NtDiskGeometry& geometry);
NtDiskGeometry DecodeDiskGeometry(const uint8_t* bytes);  // kDiskGeometryBytes bytes

std::vector<uint8_t> EncodeFormatParameters(const NtFormatParameters& parameters);  // 20 bytes
NtFormatParameters DecodeFormatParameters(const uint8_t* bytes);                    // 20 bytes

// Always kFormatExParametersBytes bytes: zero after the last ID; IDs beyond kFormatExMaxIds are not sent.
std::vector<uint8_t> EncodeFormatExParameters(const NtFormatExParameters& parameters);
// Reads the IDs that the record's sector count names; the caller has checked that they lie within bytes.
NtFormatExParameters DecodeFormatExParameters(const uint8_t* bytes);

// Control codes carry the access they need in bits 14-15: 1 read, 2 write.
inline constexpr bool ControlCodeNeedsRead(uint32_t code) { return (code >> 14 & 1u) != 0; }
inline constexpr bool ControlCodeNeedsWrite(uint32_t code) { return (code >> 15 & 1u) != 0; }
