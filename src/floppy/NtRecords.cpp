#include "floppy/NtRecords.h"

namespace {

void Put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t Get16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

uint32_t Get32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

void PutPlain(uint8_t* at, const NtFormatParameters& p) {
  Put32(at, p.mediaType);
  Put32(at + 4, p.startCylinder);
  Put32(at + 8, p.endCylinder);
  Put32(at + 12, p.startHead);
  Put32(at + 16, p.endHead);
}

}  // namespace

std::array<uint8_t, kDiskGeometryBytes> EncodeDiskGeometry(const NtDiskGeometry& geometry) {
  std::array<uint8_t, kDiskGeometryBytes> bytes{};
  auto cylinders = static_cast<uint64_t>(geometry.cylinders);
  Put32(bytes.data(), static_cast<uint32_t>(cylinders));
  Put32(bytes.data() + 4, static_cast<uint32_t>(cylinders >> 32));
  Put32(bytes.data() + 8, geometry.mediaType);
  Put32(bytes.data() + 12, geometry.tracksPerCylinder);
  Put32(bytes.data() + 16, geometry.sectorsPerTrack);
  Put32(bytes.data() + 20, geometry.bytesPerSector);
  return bytes;
}

NtDiskGeometry DecodeDiskGeometry(const uint8_t* bytes) {
  NtDiskGeometry geometry;
  geometry.cylinders = static_cast<int64_t>(uint64_t{Get32(bytes)} | uint64_t{Get32(bytes + 4)} << 32);
  geometry.mediaType = Get32(bytes + 8);
  geometry.tracksPerCylinder = Get32(bytes + 12);
  geometry.sectorsPerTrack = Get32(bytes + 16);
  geometry.bytesPerSector = Get32(bytes + 20);
  return geometry;
}

std::vector<uint8_t> EncodeFormatParameters(const NtFormatParameters& parameters) {
  std::vector<uint8_t> bytes(kFormatParametersBytes);
  PutPlain(bytes.data(), parameters);
  return bytes;
}

NtFormatParameters DecodeFormatParameters(const uint8_t* bytes) {
  return {Get32(bytes), Get32(bytes + 4), Get32(bytes + 8), Get32(bytes + 12), Get32(bytes + 16)};
}

std::vector<uint8_t> EncodeFormatExParameters(const NtFormatExParameters& parameters) {
  std::vector<uint8_t> bytes(kFormatExParametersBytes);
  PutPlain(bytes.data(), parameters.plain);
  Put16(bytes.data() + 20, parameters.gapLength);
  Put16(bytes.data() + 22, parameters.sectorsPerTrack);
  for (std::size_t i = 0; i < parameters.sectorIds.size() && i < kFormatExMaxIds; ++i) {
    Put16(bytes.data() + kFormatExIdsOffset + 2 * i, parameters.sectorIds[i]);
  }
  return bytes;
}

NtFormatExParameters DecodeFormatExParameters(const uint8_t* bytes) {
  NtFormatExParameters parameters;
  parameters.plain = DecodeFormatParameters(bytes);
  parameters.gapLength = Get16(bytes + 20);
  parameters.sectorsPerTrack = Get16(bytes + 22);
  parameters.sectorIds.resize(parameters.sectorsPerTrack);
  for (std::size_t i = 0; i < parameters.sectorIds.size(); ++i) {
    parameters.sectorIds[i] = Get16(bytes + kFormatExIdsOffset + 2 * i);
  }
  return parameters;
}
