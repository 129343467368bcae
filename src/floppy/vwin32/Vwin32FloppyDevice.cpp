#include "floppy/vwin32/Vwin32FloppyDevice.h"

#include "base/Texts.h"
#include "base/Win32Codes.h"
#include "floppy/DeviceHandle.h"
#include "floppy/DriveNode.h"

namespace {

constexpr uint32_t kDosIoctlFunction = 0x440D;
constexpr uint32_t kGetDeviceParameters = 0x0860;  // category 08h (disk), minor 60h
constexpr uint32_t kAbsoluteDiskIo = 0x7305;
constexpr uint32_t kSetMediaTypeForFormat = 0x1800;
constexpr uint32_t kFormatSide = 0x0500;
constexpr uint32_t kVerifySectors = 0x0400;

// The sectors a transfer moves: those the bytes fill, never more than named. The request names sectors,
// not bytes: the last block of a short image must not take the buffer's stale bytes beyond its end to
// the disk, and a buffer smaller than count sectors must not be overrun.
int SectorsIn(uint32_t bytes, int count) {
  uint32_t whole = bytes / kSectorBytes;
  return count <= 0 ? 0 : static_cast<int>(whole < static_cast<uint32_t>(count) ? whole : static_cast<uint32_t>(count));
}

}  // namespace

int Vwin32FloppyDevice::Open(DeviceAccess access) {
  Close();
  if (access == DeviceAccess::Read) {
    handle_ = os_.CreateFileW(kVwin32Path, kGenericRead, kFileShareRead, kOpenExisting, 0);
  } else {
    handle_ = os_.CreateFileW(kVwin32Path, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite,
                              kOpenExisting, 0);
  }
  if (handle_ != kInvalidNtHandle) return 0;
  ShowError(context_.boxes, kTextCannotOpen, {context_.settings.m_fdLetter});
  return -1;
}

bool Vwin32FloppyDevice::Request(uint32_t code, DiocRegisters& registers, bool* delivered) {
  bool sent = os_.DeviceIoControl(handle_, code, registers);
  if (delivered) *delivered = sent;
  return sent && (registers.flags & kCarryFlag) == 0;
}

int Vwin32FloppyDevice::GetDiskGeometry(FloppyGeometry& disk) {
  uint16_t ax = kDosIoctlFunction;
  for (int attempt = 0; attempt < kGeometryAttempts; ++attempt) {
    std::array<uint8_t, kDeviceParametersBytes> block{};
    block[kParamsSpecialFunctions] = 1;  // the medium now in the drive, not the drive's default
    DiocRegisters r;
    r.eax = kDosIoctlFunction;
    r.ebx = DosDrive();
    r.ecx = kGetDeviceParameters;
    r.edx = os_.AddressOf(block.data(), kDeviceParametersBytes);
    bool delivered = false;
    if (Request(kVwin32DosIoctl, r, &delivered)) {
      std::optional<FloppyGeometry> reported = GeometryOfDeviceParameters(block.data());
      if (reported && PlausibleGeometry(*reported)) {
        disk = *reported;
        return 0;
      }
      ax = r.Ax();
      break;
    }
    if (delivered) {
      ax = r.Ax();
      break;
    }
  }
  if (ax == kDosNoDisk) {
    ShowError(context_.boxes, kTextNoDisk);
  } else {
    ShowError(context_.boxes, kTextCannotDetectDisk, {ax});
  }
  return -1;
}

int Vwin32FloppyDevice::SetMediaType(const FloppyGeometry& image) {
  const FloppyFormat* format = FindFloppyFormat(image);
  DiocRegisters r;
  r.eax = kSetMediaTypeForFormat;
  r.ecx = format ? uint32_t{format->media9xTracks} << 8 | format->media9xSectors : 0;
  r.edx = BiosDrive();
  if (Request(kVwin32Int13, r)) return 0;
  ShowError(context_.boxes, kTextCannotSetMediaType, {r.Ax()});
  return -1;
}

int Vwin32FloppyDevice::FormatTrack(int track, int head, const FloppyGeometry& image,
                                    const std::vector<uint32_t>&) {
  std::vector<uint8_t> list = BuildFormatAddressList(track, head, image.sectorsPerTrack);
  uint16_t ax = 0;
  for (int attempt = 0; attempt < kFormatAttempts; ++attempt) {
    DiocRegisters r;
    r.eax = kFormatSide + static_cast<uint8_t>(image.sectorsPerTrack);
    r.ecx = static_cast<uint32_t>(static_cast<uint8_t>(track)) << 8;
    r.edx = static_cast<uint32_t>(static_cast<uint8_t>(head)) << 8 | BiosDrive();
    r.ebx = os_.AddressOf(list.data(), static_cast<uint32_t>(list.size()));
    if (Request(kVwin32Int13, r)) return 0;
    ax = r.Ax();
  }
  switch (ax & 0xFF00) {
    case kBiosWriteProtected: ShowError(context_.boxes, kTextWriteProtected); break;
    case kBiosTimeout: ShowError(context_.boxes, kTextNoDisk); break;
    default: ShowError(context_.boxes, kTextCannotFormatTrack, {track, head, ax}); break;
  }
  return -1;
}

bool Vwin32FloppyDevice::Transfer(uint8_t* buffer, int64_t startSector, int count, bool write, uint16_t& ax) {
  DiskIoBlock io{static_cast<uint32_t>(startSector), static_cast<uint16_t>(count), 0};
  io.buffer = os_.AddressOf(buffer, static_cast<uint32_t>(count) * kSectorBytes);
  std::array<uint8_t, kDiskIoBlockBytes> block = EncodeDiskIoBlock(io);
  DiocRegisters r;
  r.eax = kAbsoluteDiskIo;
  r.ecx = 0xFFFF;
  r.edx = DosDrive();
  r.ebx = os_.AddressOf(block.data(), kDiskIoBlockBytes);
  r.esi = write ? 1 : 0;
  if (Request(kVwin32DriveInfo, r)) return true;
  ax = r.Ax();
  return false;
}

int Vwin32FloppyDevice::Read(void* buffer, uint32_t bytes, uint32_t&, int64_t startSector, int count) {
  uint16_t ax = 0;
  int sectors = SectorsIn(bytes, count);
  if (sectors == 0 || Transfer(static_cast<uint8_t*>(buffer), startSector, sectors, false, ax)) return 0;
  return FailRead(context_, startSector, ax);
}

int Vwin32FloppyDevice::Write(const void* buffer, uint32_t bytes, uint32_t&, int64_t startSector, int count) {
  uint16_t ax = 0;
  int sectors = SectorsIn(bytes, count);
  // The system only reads the buffer when writing.
  if (sectors == 0 || Transfer(static_cast<uint8_t*>(const_cast<void*>(buffer)), startSector, sectors, true, ax)) {
    return 0;
  }
  return FailWrite(context_, startSector, ax, ax == kBiosWriteProtected);
}

int Vwin32FloppyDevice::Verify(uint32_t, int64_t startSector, int count) {
  int32_t perTrack = context_.imageSectorsPerTrack > 0 ? context_.imageSectorsPerTrack : 1;
  DiocRegisters r;
  r.eax = kVerifySectors + static_cast<uint8_t>(count);
  r.ecx = static_cast<uint32_t>(static_cast<uint8_t>(MessageTrackOf(context_, startSector))) << 8 |
          static_cast<uint8_t>(startSector % perTrack + 1);
  r.edx = static_cast<uint32_t>(MessageHeadOf(context_, startSector)) << 8 | BiosDrive();
  r.ebx = 0;
  if (Request(kVwin32Int13, r)) return 0;
  return FailVerify(context_, startSector, count, r.Ax());
}

int Vwin32FloppyDevice::Close() { return CloseDeviceHandle(os_, handle_, context_.boxes); }

uint32_t Vwin32FloppyDevice::BiosDrive() const { return DriveLetterOf(context_.settings) == 'B' ? 1u : 0u; }
