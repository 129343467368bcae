#pragma once
// The Linux syscall seam answered by simulated drives instead of the kernel: device nodes with the
// kernel's floppy driver (a controller drive) or the SCSI disk driver (a USB floppy) over a virtual floppy.
// Requests are checked as the kernel checks them (request numbers, access of the open file, record
// fields, 512-byte alignment, exclusive opens), so a wrong request fails here as on a real drive. Errno is
// kept per thread. Sessions with the store follow SimulatedNtSyscalls: loaded at the first open, saved at
// fsync or close after the medium changed, let go at the last close.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "floppy/linux/LinuxSyscalls.h"
#include "floppy/virtual/SimulatedNtSyscalls.h"

enum class LinuxDriveKind { Controller, Usb };

class SimulatedLinuxSyscalls final : public ILinuxSyscalls {
 public:
  // Puts a drive at path (a block device node whose minor is minor); replaces an earlier one (no file may be
  // open on it).
  void Attach(const std::string& path, std::shared_ptr<IVirtualFloppyStore> store, LinuxDriveKind kind,
              unsigned minor = 0);
  // The user takes the disk out of the drive at path and puts store's in, while files may be open: like the
  // kernel's floppy driver, transfers on them then fail with EIO until the node is opened again, and the
  // drive's state (FDPOLLDRVSTAT) tells of the change.
  void ChangeDisk(const std::string& path, std::shared_ptr<IVirtualFloppyStore> store);
  // What ReadSystemText gives for path (the kernel's lists of partitions and mounts); empty unless set.
  void SetSystemText(const std::string& path, std::string text);
  // The drive at path reports bytes as its capacity, whatever its disk holds (a stick or hard disk).
  void SetCapacity(const std::string& path, uint64_t bytes);
  // Opening path fails with error before anything else is looked at (a node this user may not open); the
  // node is owner's and group's with permission bits mode.
  void RefuseOpen(const std::string& path, int error, std::string group, unsigned mode = 0660,
                  std::string owner = "root");
  // The block device at path is read-only (a write-protected USB stick, a loop device set read-only): it
  // opens for writing, and writes fail with EPERM as the block layer fails them.
  void MakeReadOnly(const std::string& path);
  void RunAsRoot(bool root) { root_ = root; }

  int Open(const std::string& path, int flags) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  int64_t Pread(int fd, void* buffer, std::size_t bytes, int64_t offset) override;
  int64_t Pwrite(int fd, const void* buffer, std::size_t bytes, int64_t offset) override;
  int Fsync(int fd) override;
  int Close(int fd) override;
  int Errno() override;
  LinuxNode Stat(const std::string& path) override;
  std::string ReadSystemText(const std::string& path) override;
  bool Privileged() override { return root_; }

 private:
  struct Drive {
    std::shared_ptr<IVirtualFloppyStore> store;
    LinuxDriveKind kind = LinuxDriveKind::Controller;
    unsigned minor = 0;
    std::optional<VirtualFloppy> floppy;
    std::optional<LinuxFloppyStruct> parameters;  // FDSETPRM, until the last close
    bool mediumChanged = false;
    bool diskChanged = false;  // since the last open
    int generation = 0;
    std::optional<uint64_t> capacity;
    int files = 0;
    bool exclusive = false;
    bool readOnly = false;
  };
  struct File {
    std::string path;
    bool write = false;
  };
  struct Refusal {
    int error;
    std::string group;
    unsigned mode;
    std::string owner;
  };

  int Fail(int error);
  File* FindFile(int fd);
  int RawCommand(Drive& drive, LinuxFloppyRawCmd& command);
  int Save(Drive& drive);
  int64_t Transfer(int fd, uint8_t* buffer, std::size_t bytes, int64_t offset, bool write);

  std::mutex mutex_;
  std::map<std::string, Drive> drives_;
  std::map<std::string, Refusal> refusals_;
  std::map<int, File> files_;
  std::map<std::string, std::string> systemTexts_;
  int nextFd_ = 3;
  bool root_ = false;
};
