#include "floppy/virtual/SimulatedNtSyscalls.h"

#include "base/LittleEndian.h"
#include "base/Win32Codes.h"
#include "filesystem/Fat12.h"
#include "floppy/nt/NtRecords.h"
#include "floppy/virtual/SimulatedDrive.h"
#include "floppy/virtual/VirtualFloppyFile.h"

namespace {

thread_local uint32_t tNtLastError = 0;

constexpr uint32_t kFileEnd = 2;
constexpr uint32_t kFormatExRecordBytes = 28;  // sizeof(FORMAT_EX_PARAMETERS) with its one-element ID array

// Whether a write or format request that ended with error may have changed the medium: requests refused
// before the head moved change nothing.
bool NtErrorChangesMedium(uint32_t error) {
  return error != static_cast<uint32_t>(kErrorWriteProtect) && error != static_cast<uint32_t>(kErrorNotReady) &&
         error != static_cast<uint32_t>(kErrorNotSupported);
}

char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// "\\.\A:" names drive A's device; anything else is not one of ours.
std::optional<char> DeviceLetter(const std::string& path) {
  if (path.size() != 6 || path.compare(0, 4, "\\\\.\\") != 0 || path[5] != ':') return std::nullopt;
  return UpperLetter(path[4]);
}

// "A:" or "A:\" (the root of drive A).
std::optional<char> RootLetter(const std::string& root) {
  if (root.size() < 2 || root.size() > 3 || root[1] != ':') return std::nullopt;
  if (root.size() == 3 && root[2] != '\\' && root[2] != '/') return std::nullopt;
  return UpperLetter(root[0]);
}

// Another handle's sharing must allow what this one asks for, and the other way round.
bool SharingAllows(uint32_t access, uint32_t share, uint32_t otherAccess, uint32_t otherShare) {
  auto allows = [](uint32_t wanted, uint32_t sharing) {
    return ((wanted & kGenericRead) == 0 || (sharing & kFileShareRead) != 0) &&
           ((wanted & kGenericWrite) == 0 || (sharing & kFileShareWrite) != 0);
  };
  return allows(access, otherShare) && allows(otherAccess, share);
}

}  // namespace

std::optional<VirtualFloppy> VirtualFloppyFileStore::Load(uint32_t& error) {
  switch (lock_.Acquire(path_)) {
    case FileLock::Result::Locked: break;
    case FileLock::Result::Busy: error = static_cast<uint32_t>(kErrorSharingViolation); return std::nullopt;
    case FileLock::Result::Missing: error = static_cast<uint32_t>(kErrorFileNotFound); return std::nullopt;
    case FileLock::Result::Failed: error = static_cast<uint32_t>(kErrorAccessDenied); return std::nullopt;
  }
  VirtualFloppyLoad load = LoadVirtualFloppy(path_);
  if (!load.floppy) {
    lock_.Release();
    error = load.missing ? static_cast<uint32_t>(kErrorFileNotFound) : kErrorFileCorrupt;
    return std::nullopt;
  }
  if (IsReadOnlyFile(path_)) load.floppy->writeProtected = true;
  return std::move(load.floppy);
}

uint32_t VirtualFloppyFileStore::Save(const VirtualFloppy& floppy) {
  std::vector<uint8_t> bytes = EncodeVirtualFloppy(floppy);
  FileSave save;
  // The session goes on with the file that then has the name.
  if (save.Begin(path_) == FileSave::Start::Ready && save.Write(bytes.data(), bytes.size()) && lock_.Commit(save)) {
    return 0;
  }
  switch (save.Error()) {
    case FileError::NoSpace: return static_cast<uint32_t>(kErrorDiskFull);
    case FileError::Denied: return static_cast<uint32_t>(kErrorAccessDenied);
    default: return static_cast<uint32_t>(kErrorWriteFault);
  }
}

void SimulatedNtSyscalls::Attach(char letter, std::shared_ptr<IVirtualFloppyStore> store) {
  std::lock_guard lock(mutex_);
  drives_[UpperLetter(letter)] = Drive{std::move(store), std::nullopt, false, 0};
}

bool SimulatedNtSyscalls::HasDrive(char letter) const {
  std::lock_guard lock(mutex_);
  return drives_.count(UpperLetter(letter)) != 0;
}

bool SimulatedNtSyscalls::Fail(uint32_t error) {
  tNtLastError = error;
  return false;
}

uint32_t SimulatedNtSyscalls::GetLastError() { return tNtLastError; }

SimulatedNtSyscalls::Handle* SimulatedNtSyscalls::FindHandle(NtHandle handle) {
  auto found = handles_.find(handle);
  return found == handles_.end() ? nullptr : &found->second;
}

NtHandle SimulatedNtSyscalls::CreateFileW(const std::string& path, uint32_t access, uint32_t share,
                                          uint32_t disposition, uint32_t) {
  std::lock_guard lock(mutex_);
  std::optional<char> letter = DeviceLetter(path);
  auto drive = letter ? drives_.find(*letter) : drives_.end();
  if (drive == drives_.end()) {
    Fail(static_cast<uint32_t>(kErrorFileNotFound));
    return kInvalidNtHandle;
  }
  if (disposition != kOpenExisting || (access & ~(kGenericRead | kGenericWrite)) != 0 || share > 7) {
    Fail(static_cast<uint32_t>(kErrorInvalidParameter));
    return kInvalidNtHandle;
  }
  for (const auto& [value, other] : handles_) {
    if (other.letter == *letter && !SharingAllows(access, share, other.access, other.share)) {
      Fail(static_cast<uint32_t>(kErrorSharingViolation));
      return kInvalidNtHandle;
    }
  }
  Drive& state = drive->second;
  if (!state.floppy) {
    uint32_t error = static_cast<uint32_t>(kErrorFileNotFound);
    state.floppy = state.store->Load(error);
    if (!state.floppy) {
      Fail(error);
      return kInvalidNtHandle;
    }
  }
  SimulatedDrive(*state.floppy).SpinUp();
  ++state.handles;
  NtHandle handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = Handle{*letter, access, share, 0};
  return handle;
}

bool SimulatedNtSyscalls::DeviceIoControl(NtHandle device, uint32_t code, const void* in, uint32_t inBytes, void* out,
                                          uint32_t outBytes, uint32_t* returned) {
  std::lock_guard lock(mutex_);
  Handle* handle = FindHandle(device);
  if (!handle) return Fail(static_cast<uint32_t>(kErrorInvalidHandle));
  if (!returned) return Fail(static_cast<uint32_t>(kErrorInvalidParameter));
  *returned = 0;
  if (code != kIoctlDiskGetDriveGeometry && code != kIoctlDiskFormatTracks && code != kIoctlDiskFormatTracksEx) {
    return Fail(kErrorInvalidFunction);
  }
  if ((ControlCodeNeedsRead(code) && (handle->access & kGenericRead) == 0) ||
      (ControlCodeNeedsWrite(code) && (handle->access & kGenericWrite) == 0)) {
    return Fail(static_cast<uint32_t>(kErrorAccessDenied));
  }
  Drive& drive = drives_[handle->letter];
  if (code == kIoctlDiskGetDriveGeometry) {
    if (!out || outBytes < kDiskGeometryBytes) return Fail(kErrorInsufficientBuffer);
    NtDiskGeometry reply;
    uint32_t error = SimulatedDrive(*drive.floppy).SenseMedium(reply);
    if (error != 0) return Fail(error);
    auto bytes = EncodeDiskGeometry(reply);
    std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(out));
    *returned = kDiskGeometryBytes;
    return true;
  }
  return FormatTracks(*handle, code, static_cast<const uint8_t*>(in), inBytes);
}

bool SimulatedNtSyscalls::FormatTracks(Handle& handle, uint32_t code, const uint8_t* in, uint32_t inBytes) {
  Drive& drive = drives_[handle.letter];
  VirtualFloppy& floppy = *drive.floppy;
  if (floppy.refusesFormat) return Fail(static_cast<uint32_t>(kErrorNotSupported));
  bool extended = code == kIoctlDiskFormatTracksEx;
  if (!in || inBytes < (extended ? kFormatExRecordBytes : kFormatParametersBytes)) {
    return Fail(static_cast<uint32_t>(kErrorInvalidParameter));
  }
  NtFormatExParameters request;
  if (extended) {
    uint32_t sectors = GetLe16(in + 22);
    if (sectors == 0 || inBytes < kFormatExIdsOffset + 2 * sectors) {
      return Fail(static_cast<uint32_t>(kErrorInvalidParameter));
    }
    request = DecodeFormatExParameters(in);
  } else {
    request.plain = DecodeFormatParameters(in);
  }
  const NtFormatParameters& p = request.plain;
  const MediaProfile* profile = FindMediaProfile(p.mediaType);
  if (!profile || profile->drive != floppy.drive || p.startCylinder > p.endCylinder ||
      p.endCylinder >= static_cast<uint32_t>(profile->cylinders) || p.startHead > p.endHead ||
      p.endHead >= static_cast<uint32_t>(kHeads)) {
    return Fail(static_cast<uint32_t>(kErrorInvalidParameter));
  }
  SideFormat side;
  side.trackBytes = profile->trackBytes;
  if (extended) {
    side.medium = {profile->cylinders, request.sectorsPerTrack};
    side.ids = request.sectorIds;
    side.gapLength = request.gapLength;
  } else {
    side.medium = {profile->cylinders, profile->sectorsPerTrack};
    for (int id = 1; id <= profile->sectorsPerTrack; ++id) side.ids.push_back(static_cast<uint16_t>(id));
    side.gapLength = profile->gapLength;
  }
  for (uint32_t cylinder = p.startCylinder; cylinder <= p.endCylinder; ++cylinder) {
    for (uint32_t head = p.startHead; head <= p.endHead; ++head) {
      side.cylinder = static_cast<int>(cylinder);
      side.head = static_cast<int>(head);
      uint32_t error = SimulatedDrive(floppy).FormatSide(side);
      if (NtErrorChangesMedium(error)) drive.mediumChanged = true;
      if (error != 0) return Fail(error);
    }
  }
  return true;
}

bool SimulatedNtSyscalls::ReadFile(NtHandle file, void* buffer, uint32_t bytes, uint32_t* read) {
  return Transfer(file, static_cast<uint8_t*>(buffer), bytes, read, false);
}

bool SimulatedNtSyscalls::WriteFile(NtHandle file, const void* buffer, uint32_t bytes, uint32_t* written) {
  // The buffer is only read when writing.
  return Transfer(file, static_cast<uint8_t*>(const_cast<void*>(buffer)), bytes, written, true);
}

bool SimulatedNtSyscalls::Transfer(NtHandle file, uint8_t* buffer, uint32_t bytes, uint32_t* done, bool write) {
  std::lock_guard lock(mutex_);
  Handle* handle = FindHandle(file);
  if (!handle) return Fail(static_cast<uint32_t>(kErrorInvalidHandle));
  if (!done) return Fail(static_cast<uint32_t>(kErrorInvalidParameter));
  *done = 0;
  if ((handle->access & (write ? kGenericWrite : kGenericRead)) == 0) {
    return Fail(static_cast<uint32_t>(kErrorAccessDenied));
  }
  if (bytes == 0) return true;
  // Device I/O moves whole sectors at sector boundaries.
  if (!buffer || bytes % kSectorBytes != 0 || handle->position % kSectorBytes != 0) {
    return Fail(static_cast<uint32_t>(kErrorInvalidParameter));
  }
  Drive& drive = drives_[handle->letter];
  SimulatedDrive mechanics(*drive.floppy);
  int64_t first = handle->position / kSectorBytes;
  uint32_t count = bytes / kSectorBytes;
  uint32_t error = write ? mechanics.WriteSectors(first, count, buffer) : mechanics.ReadSectors(first, count, buffer);
  if (write && NtErrorChangesMedium(error)) drive.mediumChanged = true;
  if (error != 0) return Fail(error);
  handle->position += bytes;
  *done = bytes;
  return true;
}

uint32_t SimulatedNtSyscalls::SetFilePointer(NtHandle file, int32_t distance, int32_t* high, uint32_t method) {
  std::lock_guard lock(mutex_);
  Handle* handle = FindHandle(file);
  if (!handle) {
    Fail(static_cast<uint32_t>(kErrorInvalidHandle));
    return kInvalidSetFilePointer;
  }
  int64_t move = high ? static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(*high)) << 32 |
                                             static_cast<uint32_t>(distance))
                      : distance;
  int64_t base = 0;
  if (method == kFileCurrent) {
    base = handle->position;
  } else if (method == kFileEnd) {
    base = drives_[handle->letter].floppy->geometry.TotalBytes();
  } else if (method != kFileBegin) {
    Fail(static_cast<uint32_t>(kErrorInvalidParameter));
    return kInvalidSetFilePointer;
  }
  int64_t position = base + move;
  if (position < 0) {
    Fail(kErrorNegativeSeek);
    return kInvalidSetFilePointer;
  }
  if (!high && position > 0xFFFFFFFELL) {  // not expressible in the low half alone
    Fail(static_cast<uint32_t>(kErrorInvalidParameter));
    return kInvalidSetFilePointer;
  }
  handle->position = position;
  if (high) *high = static_cast<int32_t>(static_cast<uint64_t>(position) >> 32);
  tNtLastError = 0;
  return static_cast<uint32_t>(position);
}

bool SimulatedNtSyscalls::CloseHandle(NtHandle value) {
  std::lock_guard lock(mutex_);
  Handle* handle = FindHandle(value);
  if (!handle) return Fail(static_cast<uint32_t>(kErrorInvalidHandle));
  Drive& drive = drives_[handle->letter];
  handles_.erase(value);
  --drive.handles;
  uint32_t saveError = 0;
  if (drive.mediumChanged) {
    saveError = drive.store->Save(*drive.floppy);
    if (saveError == 0) drive.mediumChanged = false;
  }
  if (drive.handles == 0 && !drive.mediumChanged) {
    drive.store->End(*drive.floppy);
    drive.floppy.reset();
  }
  return saveError != 0 ? Fail(saveError) : true;
}

bool SimulatedNtSyscalls::GetDiskFreeSpaceExW(const std::string& root, uint64_t* freeToCaller, uint64_t* total,
                                              uint64_t* totalFree) {
  std::lock_guard lock(mutex_);
  std::optional<char> letter = RootLetter(root);
  auto drive = letter ? drives_.find(*letter) : drives_.end();
  if (drive == drives_.end()) return Fail(kErrorPathNotFound);
  std::optional<VirtualFloppy> loaded;
  const VirtualFloppy* floppy = drive->second.floppy ? &*drive->second.floppy : nullptr;
  if (!floppy) {
    // A session of its own, as the system's query opens the volume.
    uint32_t error = static_cast<uint32_t>(kErrorFileNotFound);
    loaded = drive->second.store->Load(error);
    if (!loaded) return Fail(error);
    drive->second.store->End(*loaded);
    floppy = &*loaded;
  }
  if (floppy->diskAbsent) return Fail(static_cast<uint32_t>(kErrorNotReady));
  auto readSector = [floppy](int64_t sector) { return floppy->ReadableSector(sector); };
  std::optional<Fat12Space> space = MeasureFat12(readSector, floppy->SlotCount());
  if (!space) return Fail(kErrorUnrecognizedVolume);
  if (freeToCaller) *freeToCaller = space->freeBytes;
  if (total) *total = space->totalBytes;
  if (totalFree) *totalFree = space->freeBytes;
  return true;
}
