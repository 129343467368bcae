#pragma once
// A system without floppy drives (the POSIX build): no device opens, so every operation fails as the OS
// fails for a drive letter that does not exist.

#include "base/Win32Codes.h"
#include "floppy/nt/NtSyscalls.h"

class AbsentNtSyscalls final : public INtSyscalls {
 public:
  NtHandle CreateFileW(const std::string&, uint32_t, uint32_t, uint32_t, uint32_t) override {
    Fail(static_cast<uint32_t>(kErrorFileNotFound));
    return kInvalidNtHandle;
  }
  bool DeviceIoControl(NtHandle, uint32_t, const void*, uint32_t, void*, uint32_t, uint32_t*) override {
    return Fail(static_cast<uint32_t>(kErrorInvalidHandle));
  }
  bool ReadFile(NtHandle, void*, uint32_t, uint32_t*) override {
    return Fail(static_cast<uint32_t>(kErrorInvalidHandle));
  }
  bool WriteFile(NtHandle, const void*, uint32_t, uint32_t*) override {
    return Fail(static_cast<uint32_t>(kErrorInvalidHandle));
  }
  uint32_t SetFilePointer(NtHandle, int32_t, int32_t*, uint32_t) override {
    Fail(static_cast<uint32_t>(kErrorInvalidHandle));
    return kInvalidSetFilePointer;
  }
  bool CloseHandle(NtHandle) override { return Fail(static_cast<uint32_t>(kErrorInvalidHandle)); }
  uint32_t GetLastError() override { return lastError_; }
  bool GetDiskFreeSpaceExW(const std::string&, uint64_t*, uint64_t*, uint64_t*) override {
    return Fail(kErrorPathNotFound);
  }

 private:
  static bool Fail(uint32_t error) {
    lastError_ = error;
    return false;
  }
  static inline thread_local uint32_t lastError_ = 0;
};
