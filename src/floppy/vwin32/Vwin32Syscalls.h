#pragma once
// The thin syscall seam of the Windows 9x device path: opening and closing the VWIN32 device and its
// register-packet requests. Registers carry 32-bit addresses of the caller's buffers, so the seam also
// says what address a buffer has for the system: the real one its pointer (the path runs only in a 32-bit
// process), the simulation one it can resolve while the next request runs.

#include <cstdint>
#include <string>

#include "floppy/nt/NtSyscalls.h"
#include "floppy/vwin32/Vwin32Records.h"

class IVwin32Syscalls {
 public:
  virtual ~IVwin32Syscalls() = default;
  virtual NtHandle CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                               uint32_t flags) = 0;
  // DeviceIoControl with the packet as both input and output (28 bytes each way).
  virtual bool DeviceIoControl(NtHandle device, uint32_t code, DiocRegisters& registers) = 0;
  // The address the system sees for bytes at data, valid for the next request of this thread.
  virtual uint32_t AddressOf(const void* data, uint32_t bytes) = 0;
  virtual bool CloseHandle(NtHandle handle) = 0;
  virtual uint32_t GetLastError() = 0;
};
