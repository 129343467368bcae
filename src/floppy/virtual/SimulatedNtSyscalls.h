#pragma once
// The NT syscall seam answered by simulated drives instead of the OS: device paths \\.\A: and \\.\B:,
// handles with their access, sharing and file pointer, the disk I/O controls, reads and writes at the
// pointer, and the free space of a FAT12 volume. Requests are checked as the OS checks them (control
// code and its access bits, input and output lengths, every record field, 512-byte alignment), so a
// wrong request fails here as it would on a real drive. GetLastError is kept per thread.
//
// A drive's floppy is loaded from its store when the first handle opens (a session begins), saved when a
// handle closes after the medium changed, and let go when the last handle closes: a session that only read
// writes nothing back. A floppy whose save failed stays loaded (and its session open), so that nothing is
// lost and the next close tries again.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/File.h"
#include "floppy/nt/NtSyscalls.h"
#include "floppy/virtual/VirtualFloppy.h"

class IVirtualFloppyStore {
 public:
  virtual ~IVirtualFloppyStore() = default;
  // Begins a session with the drive: the floppy, or nullopt with the Win32 error that opening the drive
  // reports (kErrorSharingViolation while another process has the drive).
  virtual std::optional<VirtualFloppy> Load(uint32_t& error) = 0;
  // Stores a changed medium within the session: 0, or the Win32 error of the failure.
  virtual uint32_t Save(const VirtualFloppy& floppy) = 0;
  // Ends the session. floppy is the drive as it is now: time has passed even where nothing changed.
  virtual void End(const VirtualFloppy& floppy) = 0;
};

// A virtual floppy file. A session holds the file's lock, so that one process at a time has the drive, as
// with a real one; a file this user may not write is a write-protected disk.
class VirtualFloppyFileStore final : public IVirtualFloppyStore {
 public:
  explicit VirtualFloppyFileStore(std::string path) : path_(std::move(path)) {}
  std::optional<VirtualFloppy> Load(uint32_t& error) override;
  uint32_t Save(const VirtualFloppy& floppy) override;
  void End(const VirtualFloppy&) override { lock_.Release(); }

 private:
  std::string path_;
  FileLock lock_;
};

// A floppy held in memory: tests read and change it between sessions.
class MemoryFloppyStore final : public IVirtualFloppyStore {
 public:
  explicit MemoryFloppyStore(VirtualFloppy initial) : floppy(std::move(initial)) {}
  std::optional<VirtualFloppy> Load(uint32_t&) override { return floppy; }
  uint32_t Save(const VirtualFloppy& saved) override {
    floppy = saved;
    ++saves;
    return 0;
  }
  void End(const VirtualFloppy& now) override { floppy = now; }

  VirtualFloppy floppy;
  int saves = 0;
};

class SimulatedNtSyscalls final : public INtSyscalls {
 public:
  // letter is 'A' or 'B'; replaces an earlier store of that letter (no handle may be open on it).
  void Attach(char letter, std::shared_ptr<IVirtualFloppyStore> store);
  bool HasDrive(char letter) const;

  NtHandle CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                       uint32_t flags) override;
  bool DeviceIoControl(NtHandle device, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
                       uint32_t* returned) override;
  bool ReadFile(NtHandle file, void* buffer, uint32_t bytes, uint32_t* read) override;
  bool WriteFile(NtHandle file, const void* buffer, uint32_t bytes, uint32_t* written) override;
  uint32_t SetFilePointer(NtHandle file, int32_t distance, int32_t* high, uint32_t method) override;
  bool CloseHandle(NtHandle handle) override;
  uint32_t GetLastError() override;
  bool GetDiskFreeSpaceExW(const std::string& root, uint64_t* freeToCaller, uint64_t* total,
                           uint64_t* totalFree) override;

 private:
  struct Drive {
    std::shared_ptr<IVirtualFloppyStore> store;
    std::optional<VirtualFloppy> floppy;  // while handles are open, or while a save is owed
    bool mediumChanged = false;
    int handles = 0;
  };
  struct Handle {
    char letter;
    uint32_t access;
    uint32_t share;
    int64_t position = 0;
  };

  Handle* FindHandle(NtHandle handle);
  bool Fail(uint32_t error);
  bool FormatTracks(Handle& handle, uint32_t code, const uint8_t* in, uint32_t inBytes);
  bool Transfer(NtHandle file, uint8_t* buffer, uint32_t bytes, uint32_t* done, bool write);

  mutable std::mutex mutex_;
  std::map<char, Drive> drives_;
  std::map<NtHandle, Handle> handles_;
  NtHandle nextHandle_ = 0x100;
};
