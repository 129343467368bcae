#include "floppy/nt/NtRecords.h"

#include "base/LittleEndian.h"

namespace {

void PutPlain(uint8_t* at, const NtFormatParameters& p) {
  PutLe32(at, p.mediaType);
  PutLe32(at + 4, p.startCylinder);
  PutLe32(at + 8, p.endCylinder);
  PutLe32(at + 12, p.startHead);
  PutLe32(at + 16, p.endHead);
}

}  // namespace

std::array<uint8_t, kDiskGeometryBytes> EncodeDiskGeometry(const NtDiskGeometry& geometry) {
  std::array<uint8_t, kDiskGeometryBytes> bytes{};
  auto cylinders = static_cast<uint64_t>(geometry.cylinders);
  PutLe32(bytes.data(), static_cast<uint32_t>(cylinders));
  PutLe32(bytes.data() + 4, static_cast<uint32_t>(cylinders >> 32));
  PutLe32(bytes.data() + 8, geometry.mediaType);
  PutLe32(bytes.data() + 12, geometry.tracksPerCylinder);
  PutLe32(bytes.data() + 16, geometry.sectorsPerTrack);
  PutLe32(bytes.data() + 20, geometry.bytesPerSector);
  return bytes;
}

NtDiskGeometry DecodeDiskGeometry(const uint8_t* bytes) {
  NtDiskGeometry geometry;
  geometry.cylinders = static_cast<int64_t>(uint64_t{GetLe32(bytes)} | uint64_t{GetLe32(bytes + 4)} << 32);
  geometry.mediaType = GetLe32(bytes + 8);
  geometry.tracksPerCylinder = GetLe32(bytes + 12);
  geometry.sectorsPerTrack = GetLe32(bytes + 16);
  geometry.bytesPerSector = GetLe32(bytes + 20);
  return geometry;
}

std::vector<uint8_t> EncodeFormatParameters(const NtFormatParameters& parameters) {
  std::vector<uint8_t> bytes(kFormatParametersBytes);
  PutPlain(bytes.data(), parameters);
  return bytes;
}

NtFormatParameters DecodeFormatParameters(const uint8_t* bytes) {
  return {GetLe32(bytes), GetLe32(bytes + 4), GetLe32(bytes + 8), GetLe32(bytes + 12), GetLe32(bytes + 16)};
}

std::vector<uint8_t> EncodeFormatExParameters(const NtFormatExParameters& parameters) {
  std::vector<uint8_t> bytes(kFormatExParametersBytes);
  PutPlain(bytes.data(), parameters.plain);
  PutLe16(bytes.data() + 20, parameters.gapLength);
  PutLe16(bytes.data() + 22, parameters.sectorsPerTrack);
  for (std::size_t i = 0; i < parameters.sectorIds.size() && i < kFormatExMaxIds; ++i) {
    PutLe16(bytes.data() + kFormatExIdsOffset + 2 * i, parameters.sectorIds[i]);
  }
  return bytes;
}

NtFormatExParameters DecodeFormatExParameters(const uint8_t* bytes) {
  NtFormatExParameters parameters;
  parameters.plain = DecodeFormatParameters(bytes);
  parameters.gapLength = GetLe16(bytes + 20);
  parameters.sectorsPerTrack = GetLe16(bytes + 22);
  parameters.sectorIds.resize(parameters.sectorsPerTrack);
  for (std::size_t i = 0; i < parameters.sectorIds.size(); ++i) {
    parameters.sectorIds[i] = GetLe16(bytes + kFormatExIdsOffset + 2 * i);
  }
  return parameters;
}
