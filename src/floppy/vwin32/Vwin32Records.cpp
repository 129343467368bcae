#include "floppy/vwin32/Vwin32Records.h"

#include "base/LittleEndian.h"

std::array<uint8_t, kDiocRegistersBytes> EncodeRegisters(const DiocRegisters& r) {
  std::array<uint8_t, kDiocRegistersBytes> out{};
  const uint32_t fields[] = {r.ebx, r.edx, r.ecx, r.eax, r.edi, r.esi, r.flags};
  for (std::size_t i = 0; i < 7; ++i) PutLe32(out.data() + 4 * i, fields[i]);
  return out;
}

DiocRegisters DecodeRegisters(const uint8_t* bytes) {
  DiocRegisters r;
  uint32_t* fields[] = {&r.ebx, &r.edx, &r.ecx, &r.eax, &r.edi, &r.esi, &r.flags};
  for (std::size_t i = 0; i < 7; ++i) *fields[i] = GetLe32(bytes + 4 * i);
  return r;
}

std::optional<FloppyGeometry> GeometryOfDeviceParameters(const uint8_t* block) {
  uint32_t total = GetLe16(block + kParamsTotalSectors);
  uint32_t perTrack = GetLe16(block + kParamsSectorsPerTrack);
  uint32_t heads = GetLe16(block + kParamsHeads);
  if (perTrack == 0 || heads == 0) return std::nullopt;
  return FloppyGeometry{static_cast<int32_t>(total / perTrack / heads), static_cast<int32_t>(perTrack)};
}

std::array<uint8_t, kDiskIoBlockBytes> EncodeDiskIoBlock(const DiskIoBlock& block) {
  std::array<uint8_t, kDiskIoBlockBytes> out{};
  PutLe32(out.data(), block.startSector);
  PutLe16(out.data() + 4, block.count);
  PutLe32(out.data() + 6, block.buffer);
  return out;
}

DiskIoBlock DecodeDiskIoBlock(const uint8_t* bytes) {
  return {GetLe32(bytes), GetLe16(bytes + 4), GetLe32(bytes + 6)};
}

std::vector<uint8_t> BuildFormatAddressList(int track, int head, int sectorsPerTrack) {
  std::vector<uint8_t> list;
  for (int i = 0; i < sectorsPerTrack; ++i) {
    list.insert(list.end(), {static_cast<uint8_t>(track), static_cast<uint8_t>(head), static_cast<uint8_t>(i + 1), 2});
  }
  return list;
}
