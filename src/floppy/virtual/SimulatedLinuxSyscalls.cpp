#include "floppy/virtual/SimulatedLinuxSyscalls.h"

#include <algorithm>
#include <cstring>

#include "base/Win32Codes.h"
#include "floppy/virtual/SimulatedDrive.h"

namespace {

thread_local int tErrno = 0;

constexpr int kEBadF = 9;
constexpr int kOpenKnownFlags = kLinuxOpenReadWrite | kLinuxOpenExclusive | kLinuxOpenNonBlock |
                                kLinuxOpenCloseOnExec | kLinuxOpenDirect;

// What the kernel's drivers report for the conditions the simulated drive names with Win32 errors.
int ErrnoOf(uint32_t error, LinuxDriveKind kind) {
  switch (static_cast<long>(error)) {
    case kErrorWriteProtect: return kLinuxERofs;
    case kErrorNotReady: return kind == LinuxDriveKind::Usb ? kLinuxENoMedium : kLinuxENxio;
    case kErrorInvalidParameter: return kLinuxEInval;
    case kErrorNotSupported: return kLinuxEInval;
    case kErrorSharingViolation: return kLinuxEBusy;
    case kErrorFileNotFound: return kLinuxENoEnt;
    case kErrorAccessDenied: return kLinuxEAcces;
    case kErrorDiskFull: return kLinuxENoSpc;
    default: return kLinuxEIo;
  }
}

bool LinuxErrorChangesMedium(uint32_t error) {
  return error != static_cast<uint32_t>(kErrorWriteProtect) && error != static_cast<uint32_t>(kErrorNotReady) &&
         error != static_cast<uint32_t>(kErrorInvalidParameter);
}

const char* DriveName(const VirtualFloppy& floppy) {
  return floppy.drive == DriveKind::FiveAndQuarter ? "h1200" : "H1440";
}

}  // namespace

void SimulatedLinuxSyscalls::Attach(const std::string& path, std::shared_ptr<IVirtualFloppyStore> store,
                                    LinuxDriveKind kind, unsigned minor) {
  std::lock_guard lock(mutex_);
  Drive drive;
  drive.store = std::move(store);
  drive.kind = kind;
  drive.minor = minor;
  drives_[path] = std::move(drive);
}

void SimulatedLinuxSyscalls::ChangeDisk(const std::string& path, std::shared_ptr<IVirtualFloppyStore> store) {
  std::lock_guard lock(mutex_);
  Drive& drive = drives_.at(path);
  if (drive.floppy) {
    uint32_t error = 0;
    std::optional<VirtualFloppy> next = store->Load(error);
    if (!next) {
      next = *drive.floppy;
      next->diskAbsent = true;
    }
    if (drive.mediumChanged) drive.store->Save(*drive.floppy);
    drive.store->End(*drive.floppy);
    drive.mediumChanged = false;
    drive.floppy = std::move(next);
  }
  drive.store = std::move(store);
  drive.diskChanged = true;
  ++drive.generation;
}

void SimulatedLinuxSyscalls::RefuseOpen(const std::string& path, int error, std::string group, unsigned mode,
                                        std::string owner) {
  std::lock_guard lock(mutex_);
  refusals_[path] = Refusal{error, std::move(group), mode, std::move(owner)};
}

void SimulatedLinuxSyscalls::MakeReadOnly(const std::string& path) {
  std::lock_guard lock(mutex_);
  drives_[path].readOnly = true;
}

void SimulatedLinuxSyscalls::SetSystemText(const std::string& path, std::string text) {
  std::lock_guard lock(mutex_);
  systemTexts_[path] = std::move(text);
}

void SimulatedLinuxSyscalls::SetCapacity(const std::string& path, uint64_t bytes) {
  std::lock_guard lock(mutex_);
  drives_.at(path).capacity = bytes;
}

std::string SimulatedLinuxSyscalls::ReadSystemText(const std::string& path) {
  std::lock_guard lock(mutex_);
  auto found = systemTexts_.find(path);
  return found == systemTexts_.end() ? std::string() : found->second;
}

int SimulatedLinuxSyscalls::Fail(int error) {
  tErrno = error;
  return -1;
}

int SimulatedLinuxSyscalls::Errno() { return tErrno; }

SimulatedLinuxSyscalls::File* SimulatedLinuxSyscalls::FindFile(int fd) {
  auto found = files_.find(fd);
  return found == files_.end() ? nullptr : &found->second;
}

LinuxNode SimulatedLinuxSyscalls::Stat(const std::string& path) {
  std::lock_guard lock(mutex_);
  LinuxNode node;
  auto drive = drives_.find(path);
  auto refusal = refusals_.find(path);
  node.exists = drive != drives_.end() || refusal != refusals_.end();
  node.blockDevice = node.exists;
  node.minor = drive != drives_.end() ? drive->second.minor : 0;
  // The kernel's numbers: 2 for the floppy driver, 8 for SCSI disks.
  node.major = drive != drives_.end() && drive->second.kind == LinuxDriveKind::Usb ? 8 : 2;
  node.group = refusal != refusals_.end() ? refusal->second.group : "disk";
  node.mode = refusal != refusals_.end() ? refusal->second.mode : 0660;
  node.owner = refusal != refusals_.end() ? refusal->second.owner : "root";
  return node;
}

int SimulatedLinuxSyscalls::Open(const std::string& path, int flags) {
  std::lock_guard lock(mutex_);
  if (auto refusal = refusals_.find(path); refusal != refusals_.end()) return Fail(refusal->second.error);
  auto found = drives_.find(path);
  if (found == drives_.end()) return Fail(kLinuxENoEnt);
  if ((flags & ~kOpenKnownFlags) != 0 || (flags & 3) == 3) return Fail(kLinuxEInval);
  Drive& drive = found->second;
  bool exclusive = (flags & kLinuxOpenExclusive) != 0;
  if (drive.exclusive || (exclusive && drive.files > 0)) return Fail(kLinuxEBusy);
  if (!drive.floppy) {
    uint32_t error = static_cast<uint32_t>(kErrorFileNotFound);
    drive.floppy = drive.store->Load(error);
    if (!drive.floppy) return Fail(ErrnoOf(error, drive.kind));
  }
  bool write = (flags & 3) == kLinuxOpenReadWrite;
  // The SCSI disk driver refuses to open a write-protected medium for writing; the floppy driver opened
  // without waiting for a disk lets the writes fail instead.
  if (write && drive.kind == LinuxDriveKind::Usb && drive.floppy->writeProtected) {
    if (drive.files == 0) {
      drive.store->End(*drive.floppy);
      drive.floppy.reset();
    }
    return Fail(kLinuxERofs);
  }
  SimulatedDrive(*drive.floppy).SpinUp();
  drive.diskChanged = false;  // the driver revalidates the medium at every open
  ++drive.files;
  drive.exclusive = exclusive;
  int fd = nextFd_++;
  files_[fd] = File{path, write};
  return fd;
}

int SimulatedLinuxSyscalls::Ioctl(int fd, unsigned long request, void* argument) {
  std::lock_guard lock(mutex_);
  File* file = FindFile(fd);
  if (!file) return Fail(kEBadF);
  Drive& drive = drives_[file->path];
  if (request == kBlkGetSize64) {
    if (!argument) return Fail(kLinuxEInval);
    if (drive.floppy->diskAbsent && drive.kind == LinuxDriveKind::Usb) return Fail(kLinuxENoMedium);
    uint64_t bytes = drive.floppy->diskAbsent ? 0 : static_cast<uint64_t>(drive.floppy->geometry.TotalBytes());
    if (drive.capacity && !drive.floppy->diskAbsent) bytes = *drive.capacity;
    std::memcpy(argument, &bytes, sizeof bytes);
    return 0;
  }
  if (drive.kind != LinuxDriveKind::Controller) return Fail(kLinuxENotTy);
  if (!argument && request != kFdFlush) return Fail(kLinuxEInval);
  if (request == kFdGetDrvTyp) {
    char name[kLinuxDriveNameBytes] = {};
    std::strncpy(name, DriveName(*drive.floppy), sizeof name - 1);
    std::memcpy(argument, name, sizeof name);
    return 0;
  }
  if (request == kFdGetPrm) {
    NtDiskGeometry sensed;
    uint32_t error = SimulatedDrive(*drive.floppy).SenseMedium(sensed);
    if (error != 0) return Fail(ErrnoOf(error, drive.kind));
    LinuxFloppyStruct reply;
    reply.sect = sensed.sectorsPerTrack;
    reply.head = kHeads;
    reply.track = static_cast<unsigned>(sensed.cylinders);
    reply.size = reply.sect * reply.head * reply.track;
    std::memcpy(argument, &reply, sizeof reply);
    return 0;
  }
  if (request == kFdFlush) return 0;
  if (request == kFdPollDrvStat) {
    LinuxFloppyDriveStruct state;
    state.flags = drive.diskChanged ? kFdDiskChanged : 0;
    state.generation = drive.generation;
    std::memcpy(argument, &state, sizeof state);
    return 0;
  }
  // Requests that change the medium or how it is addressed need a file open for writing.
  if (request != kFdSetPrm && request != kFdRawCmd) return Fail(kLinuxENotTy);
  if (!file->write) return Fail(kLinuxEPerm);
  if (request == kFdSetPrm) {
    LinuxFloppyStruct parameters;
    std::memcpy(&parameters, argument, sizeof parameters);
    if (parameters.head != kHeads || parameters.sect == 0 || parameters.sect > 255 || parameters.track == 0 ||
        parameters.track > 85 || parameters.size != parameters.sect * parameters.head * parameters.track ||
        (parameters.stretch & ~1u) != 0) {
      return Fail(kLinuxEInval);
    }
    drive.parameters = parameters;
    return 0;
  }
  return RawCommand(drive, *static_cast<LinuxFloppyRawCmd*>(argument));
}

int SimulatedLinuxSyscalls::RawCommand(Drive& drive, LinuxFloppyRawCmd& command) {
  if (drive.diskChanged) return Fail(kLinuxEIo);
  VirtualFloppy& floppy = *drive.floppy;
  if (floppy.refusesFormat) return Fail(kLinuxEInval);
  const unsigned needed = kFdRawWrite | kFdRawNeedSeek;
  unsigned sectors = command.cmd[3];
  if (!drive.parameters || (command.flags & needed) != needed || (command.flags & kFdRawFailure) != 0 ||
      command.cmdCount != 6 || command.cmd[0] != kFdFormatCommand || command.cmd[2] != 2 || sectors == 0 ||
      !command.data || command.length != static_cast<long>(4 * sectors) ||
      (command.cmd[1] & 3u) != (drive.minor & 3u) || command.rate != (drive.parameters->rate & 0x43) ||
      command.track < 0) {
    return Fail(kLinuxEInval);
  }
  if (floppy.diskAbsent) return Fail(kLinuxENxio);
  const LinuxFloppyStruct& medium = *drive.parameters;
  int cylinder = command.track >> (medium.stretch & 1u);
  int head = command.cmd[1] >> 2 & 1;
  FloppyGeometry geometry{static_cast<int32_t>(medium.track), static_cast<int32_t>(sectors)};
  const FloppyFormat* format =
      FindFloppyFormat({static_cast<int32_t>(medium.track), static_cast<int32_t>(medium.sect)});
  const MediaProfile* profile = format ? FindMediaProfile(format->ntMediaType) : nullptr;
  bool betweenCylinders = (command.track & ((1 << (medium.stretch & 1u)) - 1)) != 0;
  if (!profile || cylinder >= static_cast<int>(medium.track) || betweenCylinders) {
    return Fail(kLinuxEInval);
  }
  SideFormat side;
  side.medium = geometry;
  side.cylinder = cylinder;
  side.head = head;
  side.gapLength = command.cmd[4];
  side.trackBytes = profile->trackBytes;
  const auto* fields = static_cast<const uint8_t*>(command.data);
  for (unsigned i = 0; i < sectors; ++i) {
    const uint8_t* id = fields + 4 * i;
    if (id[0] != cylinder || id[1] != head || id[3] != 2) return Fail(kLinuxEInval);
    side.ids.push_back(id[2]);
  }
  uint32_t error = SimulatedDrive(floppy).FormatSide(side);
  if (error == static_cast<uint32_t>(kErrorInvalidParameter)) return Fail(kLinuxEInval);
  if (LinuxErrorChangesMedium(error)) drive.mediumChanged = true;
  // The controller's result phase: ST0, ST1, ST2, C, H, R, N.
  command.replyCount = 7;
  std::memset(command.reply, 0, sizeof command.reply);
  command.reply[0] = static_cast<unsigned char>(head << 2 | static_cast<int>(drive.minor & 3u));
  if (error != 0) {
    command.flags |= kFdRawFailure;
    command.reply[0] |= 0x40;  // abnormal termination
    if (error == static_cast<uint32_t>(kErrorWriteProtect)) command.reply[1] = kSt1NotWritable;
  }
  return 0;
}

int64_t SimulatedLinuxSyscalls::Pread(int fd, void* buffer, std::size_t bytes, int64_t offset) {
  return Transfer(fd, static_cast<uint8_t*>(buffer), bytes, offset, false);
}

int64_t SimulatedLinuxSyscalls::Pwrite(int fd, const void* buffer, std::size_t bytes, int64_t offset) {
  // The buffer is only read when writing.
  return Transfer(fd, static_cast<uint8_t*>(const_cast<void*>(buffer)), bytes, offset, true);
}

int64_t SimulatedLinuxSyscalls::Transfer(int fd, uint8_t* buffer, std::size_t bytes, int64_t offset, bool write) {
  std::lock_guard lock(mutex_);
  File* file = FindFile(fd);
  if (!file || (write && !file->write)) return Fail(kEBadF);
  Drive& drive = drives_[file->path];
  // Direct I/O moves whole sectors at sector boundaries from aligned buffers.
  if (!buffer || offset < 0 || bytes % kSectorBytes != 0 || offset % kSectorBytes != 0 ||
      reinterpret_cast<std::uintptr_t>(buffer) % kSectorBytes != 0) {
    return Fail(kLinuxEInval);
  }
  if (write && drive.readOnly) return Fail(kLinuxEPerm);
  if (!drive.floppy || drive.diskChanged) return Fail(kLinuxEIo);  // "disk absent or changed during operation"
  VirtualFloppy& floppy = *drive.floppy;
  if (floppy.diskAbsent) return Fail(ErrnoOf(static_cast<uint32_t>(kErrorNotReady), drive.kind));
  int64_t total = floppy.geometry.TotalBytes();
  if (offset >= total) return write ? Fail(kLinuxENoSpc) : 0;
  int64_t available = std::min<int64_t>(static_cast<int64_t>(bytes), total - offset);
  std::size_t count = static_cast<std::size_t>(available) / kSectorBytes;
  if (count == 0) return 0;
  SimulatedDrive mechanics(floppy);
  int64_t first = offset / kSectorBytes;
  uint32_t error = write ? mechanics.WriteSectors(first, static_cast<uint32_t>(count), buffer)
                         : mechanics.ReadSectors(first, static_cast<uint32_t>(count), buffer);
  if (write && LinuxErrorChangesMedium(error)) drive.mediumChanged = true;
  if (error != 0) return Fail(ErrnoOf(error, drive.kind));
  return static_cast<int64_t>(count * kSectorBytes);
}

int SimulatedLinuxSyscalls::Save(Drive& drive) {
  if (!drive.mediumChanged) return 0;
  uint32_t error = drive.store->Save(*drive.floppy);
  if (error != 0) return Fail(ErrnoOf(error, drive.kind));
  drive.mediumChanged = false;
  return 0;
}

int SimulatedLinuxSyscalls::Fsync(int fd) {
  std::lock_guard lock(mutex_);
  File* file = FindFile(fd);
  if (!file) return Fail(kEBadF);
  return Save(drives_[file->path]);
}

int SimulatedLinuxSyscalls::Close(int fd) {
  std::lock_guard lock(mutex_);
  File* file = FindFile(fd);
  if (!file) return Fail(kEBadF);
  Drive& drive = drives_[file->path];
  files_.erase(fd);
  --drive.files;
  drive.exclusive = false;
  int result = Save(drive);
  if (drive.files == 0 && !drive.mediumChanged) {
    drive.store->End(*drive.floppy);
    drive.floppy.reset();
    drive.parameters.reset();
  }
  return result;
}
