#include "floppy/Vwin32Records.h"

namespace {

void Put(uint8_t* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get(const uint8_t* in, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | in[i];
  return value;
}

}  // namespace

std::array<uint8_t, kDiocRegistersBytes> EncodeRegisters(const DiocRegisters& r) {
  std::array<uint8_t, kDiocRegistersBytes> out{};
  const uint32_t fields[] = {r.ebx, r.edx, r.ecx, r.eax, r.edi, r.esi, r.flags};
  for (std::size_t i = 0; i < 7; ++i) Put(out.data() + 4 * i, fields[i], 4);
  return out;
}

DiocRegisters DecodeRegisters(const uint8_t* bytes) {
  DiocRegisters r;
  uint32_t* fields[] = {&r.ebx, &r.edx, &r.ecx, &r.eax, &r.edi, &r.esi, &r.flags};
  for (std::size_t i = 0; i < 7; ++i) *fields[i] = Get(bytes + 4 * i, 4);
  return r;
}

std::optional<FloppyGeometry> GeometryOfDeviceParameters(const uint8_t* block) {
  uint32_t total = Get(block + kParamsTotalSectors, 2);
  uint32_t perTrack = Get(block + kParamsSectorsPerTrack, 2);
  uint32_t heads = Get(block + kParamsHeads, 2);
  if (perTrack == 0 || heads == 0) return std::nullopt;
  return FloppyGeometry{static_cast<int32_t>(total / perTrack / heads), static_cast<int32_t>(perTrack)};
}

std::array<uint8_t, kDiskIoBlockBytes> EncodeDiskIoBlock(const DiskIoBlock& block) {
  std::array<uint8_t, kDiskIoBlockBytes> out{};
  Put(out.data(), block.startSector, 4);
  Put(out.data() + 4, block.count, 2);
  Put(out.data() + 6, block.buffer, 4);
  return out;
}

DiskIoBlock DecodeDiskIoBlock(const uint8_t* bytes) {
  return {Get(bytes, 4), static_cast<uint16_t>(Get(bytes + 4, 2)), Get(bytes + 6, 4)};
}

std::vector<uint8_t> BuildFormatAddressList(int track, int head, int sectorsPerTrack) {
  std::vector<uint8_t> list;
  for (int i = 0; i < sectorsPerTrack; ++i) {
    list.insert(list.end(), {static_cast<uint8_t>(track), static_cast<uint8_t>(head), static_cast<uint8_t>(i + 1), 2});
  }
  return list;
}
