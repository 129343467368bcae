#include "floppy/virtual/SimulatedVwin32Syscalls.h"

#include <cstring>
#include <vector>

#include "base/LittleEndian.h"
#include "base/Win32Codes.h"
#include "filesystem/Fat12.h"
#include "floppy/nt/NtRecords.h"

namespace {

thread_local uint32_t tVwin32LastError = 0;

struct Lent {
  uint32_t address;
  uint8_t* data;
  uint32_t bytes;
};
// Buffers lent for the coming request of this thread; a request ends their loan.
thread_local std::vector<Lent> tLent;
constexpr uint32_t kFirstAddress = 0x00410000;

// The bytes at address, when a lent buffer holds all of them.
uint8_t* Resolve(uint32_t address, uint32_t bytes) {
  for (const Lent& lent : tLent) {
    if (address >= lent.address && uint64_t{address} + bytes <= uint64_t{lent.address} + lent.bytes) {
      return lent.data + (address - lent.address);
    }
  }
  return nullptr;
}

// What the BIOS reports in AH for the drive's NT error.
uint16_t BiosStatus(uint32_t error) {
  switch (error) {
    case kErrorWriteProtect: return kBiosWriteProtected;
    case kErrorNotReady: return kBiosTimeout;
    case kErrorCrc: return kBiosCrcError;
    case kErrorSectorNotFound: return kBiosSectorNotFound;
    case kErrorNotSupported:
    case kErrorInvalidParameter: return kBiosInvalidCommand;
    default: return 0x2000;  // controller failure
  }
}

// DOS reports its extended error codes, which the NT codes of floppy faults share; a write-protected
// disk reads as the BIOS status the DOS service passes up.
uint16_t DosError(uint32_t error) {
  if (error == static_cast<uint32_t>(kErrorWriteProtect)) return kBiosWriteProtected;
  return static_cast<uint16_t>(error);
}

constexpr uint16_t kDosInvalidFunction = 0x0001;
constexpr uint16_t kDosInvalidDrive = 0x000F;
constexpr uint16_t kDosUnknownMedia = 0x001A;

char LetterOfDos(uint32_t drive) { return drive == 1 ? 'A' : drive == 2 ? 'B' : '\0'; }
char LetterOfBios(uint32_t drive) { return drive == 0 ? 'A' : drive == 1 ? 'B' : '\0'; }

// The BIOS media type of function 18h: last cylinder and sectors per track of a standard medium.
const MediaProfile* BiosMediaType(uint32_t lastCylinder, uint32_t sectorsPerTrack) {
  for (uint32_t type : {kMediaF5_360_512, kMediaF3_720_512, kMediaF5_1Pt2_512, kMediaF3_1Pt44_512}) {
    const MediaProfile* profile = FindMediaProfile(type);
    if (static_cast<uint32_t>(profile->cylinders) == lastCylinder + 1 &&
        static_cast<uint32_t>(profile->sectorsPerTrack) == sectorsPerTrack) {
      return profile;
    }
  }
  return nullptr;
}

}  // namespace

SimulatedVwin32Syscalls::~SimulatedVwin32Syscalls() {
  for (auto& [handle, device] : devices_) {
    for (auto& [letter, drive] : device.drives) drives_.CloseHandle(drive);
  }
}

uint32_t SimulatedVwin32Syscalls::GetLastError() { return tVwin32LastError; }

uint32_t SimulatedVwin32Syscalls::AddressOf(const void* data, uint32_t bytes) {
  uint32_t address = kFirstAddress;
  if (!tLent.empty()) address = (tLent.back().address + tLent.back().bytes + 0xFFF) & ~0xFFFu;
  tLent.push_back({address, static_cast<uint8_t*>(const_cast<void*>(data)), bytes});
  return address;
}

NtHandle SimulatedVwin32Syscalls::CreateFileW(const std::string& path, uint32_t access, uint32_t share,
                                              uint32_t disposition, uint32_t) {
  std::string lower = path;
  for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  if (lower != kVwin32Path) {
    tVwin32LastError = static_cast<uint32_t>(kErrorFileNotFound);
    return kInvalidNtHandle;
  }
  if (disposition != kOpenExisting || (access & ~(kGenericRead | kGenericWrite)) != 0 || share > 7) {
    tVwin32LastError = static_cast<uint32_t>(kErrorInvalidParameter);
    return kInvalidNtHandle;
  }
  std::lock_guard lock(mutex_);
  NtHandle handle = nextHandle_;
  nextHandle_ += 4;
  devices_[handle] = Device{access, share, {}, {}};
  return handle;
}

bool SimulatedVwin32Syscalls::CloseHandle(NtHandle handle) {
  std::lock_guard lock(mutex_);
  auto found = devices_.find(handle);
  if (found == devices_.end()) {
    tVwin32LastError = static_cast<uint32_t>(kErrorInvalidHandle);
    return false;
  }
  uint32_t error = 0;
  for (auto& [letter, drive] : found->second.drives) {
    // Closing a drive saves what changed on it; its failure is the device's.
    if (!drives_.CloseHandle(drive) && error == 0) error = drives_.GetLastError();
  }
  devices_.erase(found);
  tVwin32LastError = error;
  return error == 0;
}

bool SimulatedVwin32Syscalls::DeviceIoControl(NtHandle handle, uint32_t code, DiocRegisters& r) {
  std::lock_guard lock(mutex_);
  struct EndLoans {
    ~EndLoans() { tLent.clear(); }
  } endLoans;
  auto found = devices_.find(handle);
  if (found == devices_.end()) {
    tVwin32LastError = static_cast<uint32_t>(kErrorInvalidHandle);
    return false;
  }
  uint16_t ax = kDosInvalidFunction;
  switch (code) {
    case kVwin32DosIoctl: ax = DeviceParameters(found->second, r); break;
    case kVwin32Int13: ax = BiosService(found->second, r); break;
    case kVwin32DriveInfo: ax = AbsoluteDiskIo(found->second, r); break;
    default: tVwin32LastError = static_cast<uint32_t>(kErrorInvalidFunction); return false;
  }
  r.eax = (r.eax & 0xFFFF0000u) | ax;
  r.flags = ax == 0 ? (r.flags & ~kCarryFlag) : (r.flags | kCarryFlag);
  return true;
}

NtHandle SimulatedVwin32Syscalls::Drive(Device& device, char letter, uint32_t& error) {
  auto found = device.drives.find(letter);
  if (found != device.drives.end()) return found->second;
  std::string path = std::string("\\\\.\\") + letter + ":";
  NtHandle drive = drives_.CreateFileW(path, device.access, device.share, kOpenExisting, 0);
  if (drive == kInvalidNtHandle) {
    error = drives_.GetLastError();
    return drive;
  }
  device.drives[letter] = drive;
  return drive;
}

uint32_t SimulatedVwin32Syscalls::Transfer(NtHandle drive, int64_t first, uint32_t count, uint8_t* buffer, bool write) {
  int64_t offset = first * kSectorBytes;
  if (offset > 0x7FFFFFFF || uint64_t{count} * kSectorBytes > 0xFFFFFFFFu) return kErrorInvalidParameter;
  if (drives_.SetFilePointer(drive, static_cast<int32_t>(offset), nullptr, kFileBegin) == kInvalidSetFilePointer) {
    return drives_.GetLastError();
  }
  uint32_t done = 0;
  uint32_t bytes = count * kSectorBytes;
  bool ok = write ? drives_.WriteFile(drive, buffer, bytes, &done) : drives_.ReadFile(drive, buffer, bytes, &done);
  return ok ? 0 : drives_.GetLastError();
}

uint16_t SimulatedVwin32Syscalls::DeviceParameters(Device& device, const DiocRegisters& r) {
  char letter = LetterOfDos(r.ebx & 0xFF);
  if ((r.eax & 0xFFFF) != 0x440D || (r.ecx & 0xFFFF) != 0x0860) return kDosInvalidFunction;
  if (!letter) return kDosInvalidDrive;
  uint8_t* block = Resolve(r.edx, kDeviceParametersBytes);
  // Only the medium's own block is simulated, not the drive's default one.
  if (!block || (block[kParamsSpecialFunctions] & 1) == 0) return kDosInvalidFunction;
  uint32_t error = 0;
  NtHandle drive = Drive(device, letter, error);
  if (drive == kInvalidNtHandle) return kDosInvalidDrive;
  uint8_t boot[kSectorBytes];
  error = Transfer(drive, 0, 1, boot, false);
  if (error == static_cast<uint32_t>(kErrorNotReady)) return kDosNoDisk;
  if (error != 0) return DosError(error);
  uint16_t perTrack = GetLe16(boot + 24), heads = GetLe16(boot + 26), total = GetLe16(boot + 19);
  if ((boot[0] != 0xEB && boot[0] != 0xE9) || GetLe16(boot + 11) != kSectorBytes || perTrack == 0 || heads == 0 ||
      heads > kHeads || total == 0) {
    return kDosUnknownMedia;
  }
  std::memcpy(block + kParamsBpb, boot + kBootSectorBpb, kBpbBytes);
  uint16_t cylinders = static_cast<uint16_t>(total / perTrack / heads);
  PutLe16(block + kParamsCylinders, cylinders);
  return 0;
}

bool SimulatedVwin32Syscalls::MediumOf(NtHandle drive, NtDiskGeometry& medium) {
  std::array<uint8_t, kDiskGeometryBytes> reply{};
  uint32_t returned = 0;
  if (!drives_.DeviceIoControl(drive, kIoctlDiskGetDriveGeometry, nullptr, 0, reply.data(), kDiskGeometryBytes,
                               &returned)) {
    return false;
  }
  medium = DecodeDiskGeometry(reply.data());
  return true;
}

uint16_t SimulatedVwin32Syscalls::BiosService(Device& device, const DiocRegisters& r) {
  char letter = LetterOfBios(r.edx & 0xFF);
  if (!letter) return kBiosInvalidCommand;
  uint32_t function = r.eax >> 8 & 0xFF;
  if (function == 0x18) {
    uint32_t error = 0;
    NtHandle drive = Drive(device, letter, error);
    if (drive == kInvalidNtHandle) return kBiosTimeout;
    NtDiskGeometry medium;
    if (!MediumOf(drive, medium) && drives_.GetLastError() == static_cast<uint32_t>(kErrorNotReady)) {
      return kBiosTimeout;
    }
    const MediaProfile* profile = BiosMediaType(r.ecx >> 8 & 0xFF, r.ecx & 0xFF);
    if (!profile) return kBiosMediaTypeNotFound;
    device.mediaTypes[letter] = profile;
    return 0;
  }
  if (function == 0x05) return FormatSide(device, letter, r);
  if (function == 0x04) return VerifySectors(device, letter, r);
  return kBiosInvalidCommand;
}

uint16_t SimulatedVwin32Syscalls::FormatSide(Device& device, char letter, const DiocRegisters& r) {
  auto type = device.mediaTypes.find(letter);
  if (type == device.mediaTypes.end()) return kBiosMediaTypeNotFound;
  const MediaProfile& profile = *type->second;
  uint32_t count = r.eax & 0xFF, cylinder = r.ecx >> 8 & 0xFF, head = r.edx >> 8 & 0xFF;
  const uint8_t* list = Resolve(r.ebx, 4 * count);
  if (!list || count == 0 || count > kFormatExMaxIds) return kBiosInvalidCommand;
  NtFormatExParameters request;
  request.plain = {profile.mediaType, cylinder, cylinder, head, head};
  request.gapLength = profile.gapLength;
  request.sectorsPerTrack = static_cast<uint16_t>(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = list + 4 * i;
    if (entry[0] != cylinder || entry[1] != head || entry[3] != 2) return kBiosInvalidCommand;
    request.sectorIds.push_back(entry[2]);
  }
  uint32_t error = 0;
  NtHandle drive = Drive(device, letter, error);
  if (drive == kInvalidNtHandle) return kBiosTimeout;
  std::vector<uint8_t> bytes = EncodeFormatExParameters(request);
  uint32_t returned = 0;
  if (!drives_.DeviceIoControl(drive, kIoctlDiskFormatTracksEx, bytes.data(), static_cast<uint32_t>(bytes.size()),
                               nullptr, 0, &returned)) {
    return BiosStatus(drives_.GetLastError());
  }
  if (cylinder == 0 && head == 0) {
    // A disk formatted here carries a boot sector with its parameter block, as after the system's own
    // format, so that DOS can measure it.
    std::vector<uint8_t> volume = BlankFat12Volume({profile.cylinders, static_cast<int32_t>(count)});
    if (!volume.empty()) {
      error = Transfer(drive, 0, 1, volume.data(), true);
      if (error != 0) return BiosStatus(error);
    }
  }
  return 0;
}

uint16_t SimulatedVwin32Syscalls::VerifySectors(Device& device, char letter, const DiocRegisters& r) {
  uint32_t count = r.eax & 0xFF, sector = r.ecx & 0x3F, head = r.edx >> 8 & 0xFF;
  uint32_t cylinder = (r.ecx >> 8 & 0xFF) | (r.ecx & 0xC0) << 2;
  uint32_t error = 0;
  NtHandle drive = Drive(device, letter, error);
  if (drive == kInvalidNtHandle) return kBiosTimeout;
  NtDiskGeometry medium;
  if (!MediumOf(drive, medium)) return BiosStatus(drives_.GetLastError());
  uint32_t perTrack = medium.sectorsPerTrack;
  // The controller verifies within one side.
  if (count == 0 || sector == 0 || head >= kHeads || sector - 1 + count > perTrack ||
      cylinder >= static_cast<uint32_t>(medium.cylinders)) {
    return kBiosSectorNotFound;
  }
  std::vector<uint8_t> scratch(count * kSectorBytes);
  int64_t first = (int64_t{cylinder} * kHeads + head) * perTrack + sector - 1;
  error = Transfer(drive, first, count, scratch.data(), false);
  return error == 0 ? 0 : BiosStatus(error);
}

uint16_t SimulatedVwin32Syscalls::AbsoluteDiskIo(Device& device, const DiocRegisters& r) {
  char letter = LetterOfDos(r.edx & 0xFF);
  if ((r.eax & 0xFFFF) != 0x7305 || (r.ecx & 0xFFFF) != 0xFFFF || (r.esi & ~0x6001u) != 0) return kDosInvalidFunction;
  if (!letter) return kDosInvalidDrive;
  const uint8_t* packet = Resolve(r.ebx, kDiskIoBlockBytes);
  if (!packet) return kDosInvalidFunction;
  DiskIoBlock io = DecodeDiskIoBlock(packet);
  uint8_t* buffer = Resolve(io.buffer, uint32_t{io.count} * kSectorBytes);
  if (!buffer) return kDosInvalidFunction;
  uint32_t error = 0;
  NtHandle drive = Drive(device, letter, error);
  if (drive == kInvalidNtHandle) return kDosInvalidDrive;
  if (io.count == 0) return 0;
  error = Transfer(drive, io.startSector, io.count, buffer, (r.esi & 1) != 0);
  return error == 0 ? 0 : DosError(error);
}
