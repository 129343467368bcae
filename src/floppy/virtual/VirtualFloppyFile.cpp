#include "floppy/virtual/VirtualFloppyFile.h"

#include <cstring>

#include "base/File.h"
#include "base/LittleEndian.h"

namespace {

constexpr uint8_t kFlagWriteProtected = 0x01;
constexpr uint8_t kFlagDiskAbsent = 0x02;
constexpr uint8_t kFlagRefusesFormat = 0x04;
constexpr uint8_t kKnownFlags = 0x07;

bool AllZero(const std::vector<uint8_t>& in, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    if (in[i] != 0) return false;
  }
  return true;
}

uint64_t ExpectedSize(int64_t slots) {
  return kVirtualFloppyHeaderBytes + static_cast<uint64_t>(slots) * (kVirtualFloppySlotBytes + kSectorBytes);
}

}  // namespace

std::vector<uint8_t> EncodeVirtualFloppy(const VirtualFloppy& floppy) {
  const int64_t slots = floppy.SlotCount();
  std::vector<uint8_t> out(ExpectedSize(slots), 0);
  std::memcpy(out.data(), kVirtualFloppyMagic, sizeof kVirtualFloppyMagic);
  PutLe16(&out[8], kVirtualFloppyVersion);
  PutLe16(&out[10], kVirtualFloppyHeaderBytes);
  out[12] = static_cast<uint8_t>(floppy.drive);
  out[13] =
      static_cast<uint8_t>((floppy.writeProtected ? kFlagWriteProtected : 0) |
                           (floppy.diskAbsent ? kFlagDiskAbsent : 0) | (floppy.refusesFormat ? kFlagRefusesFormat : 0));
  PutLe32(&out[16], static_cast<uint32_t>(floppy.geometry.tracks));
  PutLe32(&out[20], static_cast<uint32_t>(floppy.geometry.sectorsPerTrack));
  auto clock = static_cast<uint64_t>(floppy.clockNanoseconds);
  PutLe32(&out[24], static_cast<uint32_t>(clock));
  PutLe32(&out[28], static_cast<uint32_t>(clock >> 32));
  PutLe32(&out[32], static_cast<uint32_t>(floppy.headCylinder));
  std::size_t at = kVirtualFloppyHeaderBytes;
  for (const SectorSlot& slot : floppy.slots) {
    PutLe16(&out[at], slot.id);
    out[at + 2] = slot.faults;
    at += kVirtualFloppySlotBytes;
  }
  std::memcpy(out.data() + at, floppy.data.data(), floppy.data.size());
  return out;
}

std::optional<VirtualFloppy> DecodeVirtualFloppy(const std::vector<uint8_t>& in, std::string& problem) {
  if (in.size() < kVirtualFloppyHeaderBytes || std::memcmp(in.data(), kVirtualFloppyMagic, 8) != 0) {
    problem = "not a virtual floppy file";
    return std::nullopt;
  }
  if (GetLe16(&in[8]) != kVirtualFloppyVersion) {
    problem = "unsupported version " + std::to_string(GetLe16(&in[8]));
    return std::nullopt;
  }
  VirtualFloppy floppy;
  uint8_t flags = in[13];
  int64_t tracks = static_cast<int64_t>(GetLe32(&in[16]));
  int64_t sectorsPerTrack = static_cast<int64_t>(GetLe32(&in[20]));
  int64_t clock = static_cast<int64_t>(GetLe64(&in[24]));
  int64_t headCylinder = static_cast<int64_t>(GetLe32(&in[32]));
  if (GetLe16(&in[10]) != kVirtualFloppyHeaderBytes || (in[12] != 1 && in[12] != 2) || (flags & ~kKnownFlags) != 0 ||
      !AllZero(in, 14, 16) || !AllZero(in, 36, kVirtualFloppyHeaderBytes)) {
    problem = "damaged header";
    return std::nullopt;
  }
  if (tracks < 1 || tracks > kMaxVirtualTracks || sectorsPerTrack < 1 || sectorsPerTrack > kMaxVirtualSectorsPerTrack ||
      clock < 0 || headCylinder >= kMaxVirtualTracks) {
    problem = "geometry, clock or head position out of range";
    return std::nullopt;
  }
  floppy.drive = static_cast<DriveKind>(in[12]);
  floppy.writeProtected = (flags & kFlagWriteProtected) != 0;
  floppy.diskAbsent = (flags & kFlagDiskAbsent) != 0;
  floppy.refusesFormat = (flags & kFlagRefusesFormat) != 0;
  floppy.geometry = {static_cast<int32_t>(tracks), static_cast<int32_t>(sectorsPerTrack)};
  floppy.clockNanoseconds = clock;
  floppy.headCylinder = static_cast<int32_t>(headCylinder);
  const int64_t slots = floppy.SlotCount();
  if (in.size() != ExpectedSize(slots)) {
    problem = "size " + std::to_string(in.size()) + " does not match the geometry (" +
              std::to_string(ExpectedSize(slots)) + " bytes)";
    return std::nullopt;
  }
  floppy.slots.resize(static_cast<std::size_t>(slots));
  std::size_t at = kVirtualFloppyHeaderBytes;
  for (SectorSlot& slot : floppy.slots) {
    slot.id = GetLe16(&in[at]);
    slot.faults = in[at + 2];
    if ((slot.faults & ~kSlotFaultBits) != 0 || in[at + 3] != 0) {
      problem = "damaged sector table";
      return std::nullopt;
    }
    at += kVirtualFloppySlotBytes;
  }
  floppy.data.assign(in.begin() + static_cast<std::ptrdiff_t>(at), in.end());
  return floppy;
}

VirtualFloppyLoad LoadVirtualFloppy(const std::string& path) {
  VirtualFloppyLoad result;
  std::optional<uint64_t> size = FileSize(path);
  File file = File::Open(path, FileMode::Read);
  if (!size || !file) {
    result.missing = true;
    result.problem = "cannot open " + path;
    return result;
  }
  // Never allocate more than the largest valid file, whatever the file claims.
  if (*size > ExpectedSize(int64_t{kMaxVirtualTracks} * kHeads * kMaxVirtualSectorsPerTrack)) {
    result.problem = "too large for a virtual floppy";
    return result;
  }
  std::vector<uint8_t> bytes(static_cast<std::size_t>(*size));
  if (file.Read(bytes.data(), bytes.size()) != bytes.size()) {
    result.problem = "cannot read " + path;
    return result;
  }
  result.floppy = DecodeVirtualFloppy(bytes, result.problem);
  return result;
}

bool SaveVirtualFloppy(const std::string& path, const VirtualFloppy& floppy) {
  std::vector<uint8_t> bytes = EncodeVirtualFloppy(floppy);
  return SaveWholeFile(path, bytes.data(), bytes.size()) == FileSave::Start::Ready;
}
