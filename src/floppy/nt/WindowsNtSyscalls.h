#pragma once
// The NT syscall seam passed straight to the Windows API (NtSyscalls_win32.cpp).

#include "floppy/nt/NtSyscalls.h"

class WindowsNtSyscalls final : public INtSyscalls {
 public:
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
};
