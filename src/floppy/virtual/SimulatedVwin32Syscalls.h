#pragma once
// The VWIN32 device answered over the drives of an NT syscall seam (the simulated drives, delayed or not):
// the register packets are carried out as DOS and the BIOS carry them out, with the cylinder, head and
// sector arithmetic, the carry flag and the AX codes of write protection, time-out and a missing disk.
// A device handle opens each drive it addresses with its own access and sharing, and closes them when it
// closes, so a job's session with a virtual floppy is the same on both paths. Addresses in registers are
// resolved from the buffers lent through AddressOf for the request.

#include <cstdint>
#include <map>
#include <mutex>

#include "floppy/nt/NtRecords.h"
#include "floppy/nt/NtSyscalls.h"
#include "floppy/virtual/SimulatedDrive.h"
#include "floppy/vwin32/Vwin32Syscalls.h"

class SimulatedVwin32Syscalls final : public IVwin32Syscalls {
 public:
  explicit SimulatedVwin32Syscalls(INtSyscalls& drives) : drives_(drives) {}
  ~SimulatedVwin32Syscalls() override;
  SimulatedVwin32Syscalls(const SimulatedVwin32Syscalls&) = delete;
  SimulatedVwin32Syscalls& operator=(const SimulatedVwin32Syscalls&) = delete;

  NtHandle CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                       uint32_t flags) override;
  bool DeviceIoControl(NtHandle device, uint32_t code, DiocRegisters& registers) override;
  uint32_t AddressOf(const void* data, uint32_t bytes) override;
  bool CloseHandle(NtHandle handle) override;
  uint32_t GetLastError() override;

 private:
  struct Device {
    uint32_t access = 0;
    uint32_t share = 0;
    std::map<char, NtHandle> drives;                  // opened on first use
    std::map<char, const MediaProfile*> mediaTypes;   // set by BIOS function 18h
  };

  // The drive's NT handle for this device, or kInvalidNtHandle with the NT error in error.
  NtHandle Drive(Device& device, char letter, uint32_t& error);
  // Each returns AX: 0 when done, else the code the service reports.
  uint16_t DeviceParameters(Device& device, const DiocRegisters& r);
  uint16_t BiosService(Device& device, const DiocRegisters& r);
  uint16_t AbsoluteDiskIo(Device& device, const DiocRegisters& r);
  uint16_t FormatSide(Device& device, char letter, const DiocRegisters& r);
  uint16_t VerifySectors(Device& device, char letter, const DiocRegisters& r);
  // The disk's geometry as the NT drive reports it: false with the NT error left in GetLastError().
  bool MediumOf(NtHandle drive, NtDiskGeometry& medium);
  // Sector transfer at a linear index: 0, or the NT error.
  uint32_t Transfer(NtHandle drive, int64_t first, uint32_t count, uint8_t* buffer, bool write);

  INtSyscalls& drives_;
  std::mutex mutex_;
  std::map<NtHandle, Device> devices_;
  NtHandle nextHandle_ = 0x7000;
};
