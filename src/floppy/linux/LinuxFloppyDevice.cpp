#include "floppy/linux/LinuxFloppyDevice.h"

#include <cstring>
#include <map>
#include <new>

#include "base/Format.h"
#include "base/Texts.h"
#include "floppy/linux/BlockDeviceUse.h"
#include "floppy/DriveNode.h"
#include "filesystem/Fat12.h"
#include "floppy/SectorIds.h"

namespace {

// O_DIRECT moves data only through buffers aligned to the logical block; 4096 suits every disk.
class AlignedBuffer {
 public:
  explicit AlignedBuffer(std::size_t bytes) : storage_(new uint8_t[bytes + kAlign]) {
    auto address = reinterpret_cast<std::uintptr_t>(storage_.get());
    data_ = storage_.get() + (kAlign - address % kAlign) % kAlign;
  }
  uint8_t* data() { return data_; }

 private:
  static constexpr std::size_t kAlign = 4096;
  std::unique_ptr<uint8_t[]> storage_;
  uint8_t* data_;
};

// ENODEV from the geometry request means the driver recognised no format: a disk, but not one it knows.
bool NoDisk(int error) { return error == kLinuxENxio || error == kLinuxENoMedium; }
bool Unsupported(int error) { return error == kLinuxEInval || error == kLinuxENotTy || error == kLinuxEPerm; }

struct MediumRow {
  FloppyGeometry geometry;
  bool fiveInchHighDensityDrive;
  LinuxFloppyStruct parameters;
};

// The kernel's floppy_type entries d360, h360, D720, D800, h1200, H1440 and H1680.
const MediumRow kMedia[] = {
    {{40, 9}, false, {720, 9, 2, 40, 0, 0x2A, 0x02, 0xDF, 0x50, "d360"}},
    {{40, 9}, true, {720, 9, 2, 40, 1, 0x23, 0x01, 0xDF, 0x50, "h360"}},
    {{80, 9}, false, {1440, 9, 2, 80, 0, 0x2A, 0x02, 0xDF, 0x50, "D720"}},
    {{80, 10}, false, {1600, 10, 2, 80, 0, 0x25, 0x02, 0xDF, 0x2E, "D800"}},
    {{80, 15}, false, {2400, 15, 2, 80, 0, 0x1B, 0x00, 0xDF, 0x54, "h1200"}},
    {{80, 18}, false, {2880, 18, 2, 80, 0, 0x1B, 0x00, 0xCF, 0x6C, "H1440"}},
    {{80, 21}, false, {3360, 21, 2, 80, 0, 0x1C, 0x00, 0xCF, 0x0C, "H1680"}},
};

}  // namespace

std::optional<LinuxFloppyStruct> LinuxMediumParameters(const FloppyGeometry& geometry, bool fiveInchHighDensityDrive) {
  for (const MediumRow& row : kMedia) {
    if (row.geometry.tracks == geometry.tracks && row.geometry.sectorsPerTrack == geometry.sectorsPerTrack &&
        (geometry.tracks != 40 || row.fiveInchHighDensityDrive == fiveInchHighDensityDrive)) {
      return row.parameters;
    }
  }
  return std::nullopt;
}

void LinuxFloppyDevice::ShowOpenFailure(int error) {
  const std::string& letter = context_.settings.m_fdLetter;
  std::string path = context_.boxes.ShownArgument(path_);
  IMessageBoxes& boxes = context_.boxes;
  if (error == kLinuxENoEnt || error == kLinuxENxio || error == kLinuxENoDev) {
    boxes.Show(0, FormatText(kTextLinuxNoDrive, {letter, path}), MessageIcon::Error);
  } else if (error == kLinuxEAcces || error == kLinuxEPerm) {
    // Joining the node's group helps only when that group may read and write it (never group root).
    LinuxNode node = os_.Stat(path_);
    std::string group = boxes.ShownArgument(node.group);
    std::string owner = boxes.ShownArgument(node.owner);
    if (os_.Privileged()) {
      boxes.Show(0, FormatText(kTextLinuxBlocked, {letter, path}), MessageIcon::Error);
    } else if ((node.mode & 060) == 060 && node.group != "root" && node.group != "0") {
      boxes.Show(0, FormatText(kTextLinuxNoPermission, {letter, path, group, group}), MessageIcon::Error);
    } else {
      boxes.Show(0, FormatText(kTextLinuxNoPermissionOwner, {letter, path, owner, owner}), MessageIcon::Error);
    }
  } else if (error == kLinuxEBusy) {
    boxes.Show(0, FormatText(kTextLinuxDriveBusy, {letter, path}), MessageIcon::Error);
  } else if (error == kLinuxERofs) {
    ShowError(boxes, kTextWriteProtected);
  } else {
    ShowError(boxes, kTextCannotOpen, {letter});
  }
}

int LinuxFloppyDevice::Open(DeviceAccess access) {
  Close();
  LinuxOpenNode& node = *node_;
  bool write = access == DeviceAccess::ReadWrite;
  if (node.fd >= 0 && write && !node.writable) {
    os_.Close(node.fd);
    node.fd = -1;
  }
  if (node.fd < 0) {
    if (HoldsFileSystems()) return -1;
    int flags = (write ? kLinuxOpenReadWrite : kLinuxOpenReadOnly) | kLinuxOpenExclusive | kLinuxOpenNonBlock |
                kLinuxOpenCloseOnExec | kLinuxOpenDirect;
    node.fd = os_.Open(path_, flags);
    if (node.fd < 0) {
      ShowOpenFailure(os_.Errno());
      return -1;
    }
    node.writable = write;
    char name[kLinuxDriveNameBytes] = {};
    node.controller = os_.Ioctl(node.fd, kFdGetDrvTyp, name) == 0;
    node.fiveInchHighDensity = node.controller && name[0] == 'h';
    node.unit = os_.Stat(path_).minor & 3u;
    LinuxFloppyDriveStruct state;
    if (!node.start && node.controller && os_.Ioctl(node.fd, kFdPollDrvStat, &state) == 0) node.start = state;
  }
  // A later phase, also on a node opened again for writing, must find the disk the job began with.
  if (DiskChanged()) return -1;
  phaseOpen_ = true;
  position_ = 0;
  return 0;
}

// A disk with partitions or a mounted file system is not a floppy, whatever its size: nothing may touch it.
bool LinuxFloppyDevice::HoldsFileSystems() {
  LinuxNode device = os_.Stat(path_);
  if (!device.blockDevice || !BlockDeviceInUse(os_.ReadSystemText("/proc/partitions"),
                                               os_.ReadSystemText("/proc/self/mountinfo"), device.major,
                                               device.minor)) {
    return false;
  }
  context_.boxes.Show(0,
                      FormatText(kTextLinuxNotAFloppy,
                                 {context_.settings.m_fdLetter, context_.boxes.ShownArgument(path_)}),
                      MessageIcon::Error);
  return true;
}

// The driver counts the changes it has revalidated (at each open) and flags one seen since; a flag already
// set when the job began was left from before it.
bool LinuxFloppyDevice::DiskChanged() {
  if (!node_->controller || !node_->start) return false;
  LinuxFloppyDriveStruct state;
  if (os_.Ioctl(node_->fd, kFdPollDrvStat, &state) != 0) return false;
  bool flagged = (state.flags & kFdDiskChanged) != 0 && (node_->start->flags & kFdDiskChanged) == 0;
  if (!flagged && state.generation == node_->start->generation) return false;
  context_.boxes.Show(0, FormatText(kTextDiskChangedDuringJob, {context_.settings.m_fdLetter}), MessageIcon::Error);
  return true;
}

int LinuxFloppyDevice::ReadAt(int64_t offset, uint8_t* out, uint32_t bytes) {
  try {
    AlignedBuffer buffer(bytes);
    int64_t got = os_.Pread(node_->fd, buffer.data(), bytes, offset);
    if (got < 0) return os_.Errno();
    if (got != static_cast<int64_t>(bytes)) return kLinuxEIo;  // past the end of the medium
    if (out) std::memcpy(out, buffer.data(), bytes);
    return 0;
  } catch (const std::bad_alloc&) {
    return kLinuxENoMem;
  }
}

int LinuxFloppyDevice::GetDiskGeometry(FloppyGeometry& disk) {
  int error = 0;
  for (int attempt = 0; attempt < kGeometryAttempts; ++attempt) {
    FloppyGeometry reported;
    if (node_->controller) {
      // The driver recognises the medium on its first read.
      error = ReadAt(0, nullptr, kSectorBytes);
      if (error != 0) continue;
      LinuxFloppyStruct parameters;
      if (os_.Ioctl(node_->fd, kFdGetPrm, &parameters) != 0) {
        error = os_.Errno();
        continue;
      }
      if (parameters.head != kHeads) {
        error = kLinuxEMediumType;
        break;
      }
      reported = {static_cast<int32_t>(parameters.track), static_cast<int32_t>(parameters.sect)};
    } else {
      // A USB floppy tells only its capacity: the format of exactly that size.
      uint64_t bytes = 0;
      if (os_.Ioctl(node_->fd, kBlkGetSize64, &bytes) != 0) {
        error = os_.Errno();
        continue;
      }
      if (bytes == 0) {
        error = kLinuxENoMedium;
        continue;
      }
      // Any other size is a stick or a disk, never a floppy to be written as one.
      reported = {0, 0};
      for (const FloppyFormat& format : FloppyFormats()) {
        FloppyGeometry candidate{format.tracks, format.sectorsPerTrack};
        if (static_cast<uint64_t>(candidate.TotalBytes()) == bytes) reported = candidate;
      }
    }
    if (!PlausibleGeometry(reported)) {
      error = kLinuxEMediumType;
      break;
    }
    disk = reported;
    node_->disk = reported;
    return 0;
  }
  if (NoDisk(error)) {
    ShowError(context_.boxes, kTextNoDisk);
  } else {
    ShowError(context_.boxes, kTextCannotDetectDisk, {error});
  }
  return -1;
}

int LinuxFloppyDevice::SetMediaType(const FloppyGeometry& image) {
  if (!node_->controller) return 0;
  node_->medium = LinuxMediumParameters(image, node_->fiveInchHighDensity);
  if (!node_->medium) return 0;  // formatting refuses it
  LinuxFloppyStruct parameters = *node_->medium;
  if (os_.Ioctl(node_->fd, kFdSetPrm, &parameters) == 0) return 0;
  int error = os_.Errno();
  node_->medium.reset();
  if (NoDisk(error)) {
    ShowError(context_.boxes, kTextNoDisk);
  } else if (Unsupported(error)) {
    ShowError(context_.boxes, kTextCommandNotSupported);
  } else {
    ShowError(context_.boxes, kTextCannotFormatTrack, {0, 0, error});
  }
  return -1;
}

int LinuxFloppyDevice::FormatTrack(int track, int head, const FloppyGeometry& image,
                                   const std::vector<uint32_t>& badFlags) {
  const FloppyFormat* format = FindFloppyFormat(image);
  // A USB drive's own format command cannot lay out sectors, bad ones, nor other formats: it is not used.
  if (!node_->controller || !format || !node_->medium) {
    ShowError(context_.boxes, kTextCommandNotSupported);
    return -1;
  }
  bool recreatesBad = false;
  std::vector<uint16_t> ids = SideSectorIds(track, head, image, badFlags, recreatesBad);
  std::vector<uint8_t> fields;
  for (uint16_t id : ids) {
    fields.insert(fields.end(), {static_cast<uint8_t>(track), static_cast<uint8_t>(head), static_cast<uint8_t>(id), 2});
  }
  LinuxFloppyRawCmd command;
  command.flags = kFdRawWrite | kFdRawIntr | kFdRawSpin | kFdRawNeedDisk | kFdRawNeedSeek;
  command.data = fields.data();
  command.length = static_cast<long>(fields.size());
  command.rate = node_->medium->rate & 0x43;
  command.track = track << (node_->medium->stretch & 1u);  // the physical cylinder
  const unsigned char bytes[] = {kFdFormatCommand,
                                 static_cast<unsigned char>(static_cast<unsigned>(head) << 2 | node_->unit),
                                 2,  // 512-byte sectors
                                 static_cast<unsigned char>(ids.size()),
                                 static_cast<unsigned char>(format->gapLength),
                                 0xF6};
  command.cmdCount = sizeof bytes;
  std::memcpy(command.cmd, bytes, sizeof bytes);
  int error = 0;
  if (os_.Ioctl(node_->fd, kFdRawCmd, &command) != 0) {
    error = os_.Errno();
  } else if ((command.flags & kFdRawFailure) != 0) {
    error = command.replyCount > 1 && (command.reply[1] & kSt1NotWritable) != 0 ? kLinuxERofs : kLinuxEIo;
  } else {
    wrote_ = true;
    return recreatesBad ? -2 : 0;
  }
  wrote_ = true;
  if (DiskChanged()) return -1;
  if (error == kLinuxERofs) {
    ShowError(context_.boxes, kTextWriteProtected);
  } else if (NoDisk(error)) {
    ShowError(context_.boxes, kTextNoDisk);
  } else if (Unsupported(error)) {
    ShowError(context_.boxes, kTextCommandNotSupported);
  } else {
    ShowError(context_.boxes, kTextCannotFormatTrack, {track, head, error});
  }
  return -1;
}

int LinuxFloppyDevice::Read(void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int) {
  transferred = 0;
  int error = ReadAt(position_, static_cast<uint8_t*>(buffer), bytes);
  if (error == 0) {
    transferred = bytes;
    position_ += bytes;
    return 0;
  }
  if (DiskChanged()) return kDiskChangedDuringJob;
  return FailRead(context_, startSector, static_cast<uint32_t>(error));
}

int LinuxFloppyDevice::Write(const void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int) {
  transferred = 0;
  int error = 0;
  try {
    AlignedBuffer aligned(bytes);
    if (bytes > 0) std::memcpy(aligned.data(), buffer, bytes);
    wrote_ = true;
    int64_t done = os_.Pwrite(node_->fd, aligned.data(), bytes, position_);
    if (done == static_cast<int64_t>(bytes)) {
      transferred = bytes;
      position_ += bytes;
      return 0;
    }
    error = done < 0 ? os_.Errno() : kLinuxENoSpc;
  } catch (const std::bad_alloc&) {
    error = kLinuxENoMem;
  }
  if (DiskChanged()) return kDiskChangedDuringJob;
  // A read-only block device (a write-protected USB drive) opens for writing; its writes fail with EPERM.
  return FailWrite(context_, startSector, static_cast<uint32_t>(error), error == kLinuxERofs || error == kLinuxEPerm);
}

int LinuxFloppyDevice::Verify(uint32_t bytes, int64_t startSector, int count) {
  int error = ReadAt(position_, nullptr, bytes);
  if (error == 0) {
    position_ += bytes;
    return 0;
  }
  if (DiskChanged()) return -1;
  return FailVerify(context_, startSector, count, static_cast<uint32_t>(error));
}

int LinuxFloppyDevice::Close() {
  if (!phaseOpen_) return 0;
  phaseOpen_ = false;
  if (!wrote_) return 0;
  wrote_ = false;
  if (os_.Fsync(node_->fd) == 0) return 0;
  ShowError(context_.boxes, kTextCannotFinishWriting, {os_.Errno()});
  return -1;
}

VolumeSpace LinuxFloppyDevice::QueryVolumeSpace() {
  if (node_->fd < 0 || !node_->disk) return {};
  std::map<int64_t, std::vector<uint8_t>> sectors;
  auto read = [&](int64_t sector) -> const uint8_t* {
    std::vector<uint8_t>& bytes = sectors[sector];
    if (bytes.empty()) {
      bytes.resize(kSectorBytes);
      if (ReadAt(sector * kSectorBytes, bytes.data(), kSectorBytes) != 0) return nullptr;
    }
    return bytes.data();
  };
  std::optional<Fat12Space> space = MeasureFat12(read, node_->disk->TotalSectors());
  if (!space) return {};
  auto low = [](uint64_t bytes) { return static_cast<int32_t>(static_cast<uint32_t>(bytes)); };
  return {true, low(space->totalBytes), low(space->freeBytes)};
}

bool LinuxFloppyDeviceFactory::IsDrive(const std::string& path) const {
  LinuxNode node = os_->Stat(path);
  return node.blockDevice || (!node.exists && path.starts_with("/dev/"));
}

std::unique_ptr<IFloppyDevice> LinuxFloppyDeviceFactory::Create(const DeviceContext& context) {
  char letter = DriveLetterOf(context.settings);
  std::optional<std::string> named = DriveNodeFor(environment_, context.settings, letter);
  // A named regular file is a virtual floppy, reached before this factory; anything else named is tried as it is.
  std::string path = named ? *named : letter == 'B' ? "/dev/fd1" : "/dev/fd0";
  std::lock_guard lock(mutex_);
  std::shared_ptr<LinuxOpenNode> node = nodes_[path].lock();
  if (!node) {
    node = std::make_shared<LinuxOpenNode>(*os_);
    nodes_[path] = node;
  }
  return std::make_unique<LinuxFloppyDevice>(std::move(node), path, context);
}
