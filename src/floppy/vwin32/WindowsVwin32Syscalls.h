#pragma once
// The VWIN32 seam passed straight to the Windows API (Vwin32Syscalls_win32.cpp).

#include "floppy/vwin32/Vwin32Syscalls.h"

class WindowsVwin32Syscalls final : public IVwin32Syscalls {
 public:
  NtHandle CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                       uint32_t flags) override;
  bool DeviceIoControl(NtHandle device, uint32_t code, DiocRegisters& registers) override;
  uint32_t AddressOf(const void* data, uint32_t bytes) override;
  bool CloseHandle(NtHandle handle) override;
  uint32_t GetLastError() override;
};
