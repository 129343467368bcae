#pragma once
// The thin syscall seam of the Linux device path: exactly the kernel calls it makes, with the kernel's
// numbers, record layouts and errno values. The portable code may not include the kernel headers, so the
// records are mirrored here; a POSIX test checks every number and offset against <linux/fd.h>,
// <linux/fs.h>, <fcntl.h> and <errno.h>. The POSIX build passes the calls to the kernel; the simulated
// driver answers them like the kernel's floppy and SCSI disk drivers would.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// _IOC of the kernel's generic ioctl encoding (x86, ARM, RISC-V): direction, size, type, number.
inline constexpr unsigned long LinuxIoctl(unsigned dir, unsigned type, unsigned nr, std::size_t size) {
  return static_cast<unsigned long>(dir) << 30 | static_cast<unsigned long>(size) << 16 | type << 8 | nr;
}
inline constexpr unsigned kIocNone = 0, kIocWrite = 1, kIocRead = 2;

// struct floppy_struct: the medium parameters (FDGETPRM, FDSETPRM).
struct LinuxFloppyStruct {
  unsigned int size = 0;     // sectors on the disk
  unsigned int sect = 0;     // per track
  unsigned int head = 0;
  unsigned int track = 0;
  unsigned int stretch = 0;  // bit 0: double-step (40 tracks in an 80-track drive)
  unsigned char gap = 0;     // read/write gap
  unsigned char rate = 0;
  unsigned char spec1 = 0;
  unsigned char fmtGap = 0;
  const char* name = nullptr;
};

// struct format_descr (FDFMTTRK).
struct LinuxFormatDescr {
  unsigned int device = 0;
  unsigned int head = 0;
  unsigned int track = 0;
};

inline constexpr int kLinuxRawCmdSize = 16;
inline constexpr int kLinuxRawReplySize = 16;

// struct floppy_raw_cmd (FDRAWCMD): one controller command with its data.
struct LinuxFloppyRawCmd {
  unsigned int flags = 0;
  void* data = nullptr;
  char* kernelData = nullptr;
  LinuxFloppyRawCmd* next = nullptr;
  long length = 0;
  long physLength = 0;
  int bufferLength = 0;
  unsigned char rate = 0;
  unsigned char cmdCount = 0;
  unsigned char cmd[kLinuxRawCmdSize] = {};
  unsigned char replyCount = 0;
  unsigned char reply[kLinuxRawReplySize] = {};
  int track = 0;
  int resultcode = 0;
  int reserved1 = 0;
  int reserved2 = 0;
};

inline constexpr std::size_t kLinuxDriveNameBytes = 16;  // floppy_drive_name

// struct floppy_drive_struct (FDPOLLDRVSTAT): the drive's state, polled from the drive.
struct LinuxFloppyDriveStruct {
  unsigned long flags = 0;
  unsigned long spinupDate = 0;
  unsigned long selectDate = 0;
  unsigned long firstReadDate = 0;
  short probedFormat = 0;
  short track = 0;
  short maxblock = 0;
  short maxtrack = 0;
  int generation = 0;  // counts the disk changes
  int keepData = 0;
  int fdRef = 0;
  int fdDevice = 0;
  unsigned long lastChecked = 0;
  char* dmabuf = nullptr;
  int bufblocks = 0;
};
inline constexpr unsigned long kFdDiskChanged = 1ul << 4;  // FD_DISK_CHANGED

inline constexpr unsigned long kFdGetPrm = LinuxIoctl(kIocRead, 2, 0x04, sizeof(LinuxFloppyStruct));
inline constexpr unsigned long kFdSetPrm = LinuxIoctl(kIocWrite, 2, 0x42, sizeof(LinuxFloppyStruct));
inline constexpr unsigned long kFdFmtTrk = LinuxIoctl(kIocWrite, 2, 0x48, sizeof(LinuxFormatDescr));
inline constexpr unsigned long kFdFlush = LinuxIoctl(kIocNone, 2, 0x4b, 0);
inline constexpr unsigned long kFdGetDrvTyp = LinuxIoctl(kIocRead, 2, 0x0f, kLinuxDriveNameBytes);
inline constexpr unsigned long kFdRawCmd = LinuxIoctl(kIocNone, 2, 0x58, 0);
inline constexpr unsigned long kFdPollDrvStat = LinuxIoctl(kIocRead, 2, 0x13, sizeof(LinuxFloppyDriveStruct));
inline constexpr unsigned long kBlkGetSize64 = LinuxIoctl(kIocRead, 0x12, 114, sizeof(std::size_t));

inline constexpr unsigned int kFdRawWrite = 0x2;
inline constexpr unsigned int kFdRawIntr = 0x8;
inline constexpr unsigned int kFdRawSpin = 0x10;
inline constexpr unsigned int kFdRawNeedDisk = 0x40;
inline constexpr unsigned int kFdRawNeedSeek = 0x80;
inline constexpr unsigned int kFdRawFailure = 0x10000;
inline constexpr unsigned char kFdFormatCommand = 0x4D;  // FD_FORMAT, MFM
inline constexpr unsigned char kSt1NotWritable = 0x02;

inline constexpr int kLinuxOpenReadOnly = 0;
inline constexpr int kLinuxOpenReadWrite = 02;
inline constexpr int kLinuxOpenExclusive = 0200;
inline constexpr int kLinuxOpenNonBlock = 04000;
inline constexpr int kLinuxOpenCloseOnExec = 02000000;
inline constexpr int kLinuxOpenDirect = 040000;  // O_DIRECT of x86 and RISC-V (ARM has another)

inline constexpr int kLinuxEPerm = 1;
inline constexpr int kLinuxENoEnt = 2;
inline constexpr int kLinuxEIo = 5;
inline constexpr int kLinuxENxio = 6;
inline constexpr int kLinuxENoMem = 12;
inline constexpr int kLinuxEAcces = 13;
inline constexpr int kLinuxEBusy = 16;
inline constexpr int kLinuxENoDev = 19;
inline constexpr int kLinuxEInval = 22;
inline constexpr int kLinuxENotTy = 25;
inline constexpr int kLinuxENoSpc = 28;
inline constexpr int kLinuxERofs = 30;
inline constexpr int kLinuxENoMedium = 123;
inline constexpr int kLinuxEMediumType = 124;

// What stat tells of a path.
struct LinuxNode {
  bool exists = false;
  bool blockDevice = false;
  bool regularFile = false;
  unsigned major = 0;
  unsigned minor = 0;
  unsigned mode = 0;  // permission bits (07777)
  std::string owner;  // the owner's name (its number when it has none)
  std::string group;  // the owning group's name (its number when it has none)
};

class ILinuxSyscalls {
 public:
  virtual ~ILinuxSyscalls() = default;
  // Each returns what the kernel call returns (-1 on failure, with Errno() telling why).
  virtual int Open(const std::string& path, int flags) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual int64_t Pread(int fd, void* buffer, std::size_t bytes, int64_t offset) = 0;
  virtual int64_t Pwrite(int fd, const void* buffer, std::size_t bytes, int64_t offset) = 0;
  virtual int Fsync(int fd) = 0;
  virtual int Close(int fd) = 0;
  virtual int Errno() = 0;
  virtual LinuxNode Stat(const std::string& path) = 0;
  // The text of one of the kernel's small lists (/proc/partitions, /proc/self/mountinfo); empty when unreadable.
  virtual std::string ReadSystemText(const std::string& path) = 0;
  // True when the process runs as root, whom no permission bits stop.
  virtual bool Privileged() = 0;
};

// The running kernel (POSIX builds only).
std::unique_ptr<ILinuxSyscalls> LinuxKernelSyscalls();
