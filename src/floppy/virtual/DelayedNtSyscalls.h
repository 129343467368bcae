#pragma once
// Virtual drives at a watchable pace: every read, write and format request waits a fixed time before it is
// passed on, so that a job over a virtual floppy runs long enough to be watched and cancelled.

#include <chrono>

#include "floppy/nt/NtSyscalls.h"

class DelayedNtSyscalls final : public INtSyscalls {
 public:
  DelayedNtSyscalls(INtSyscalls& drives, std::chrono::milliseconds delay) : drives_(drives), delay_(delay) {}

  NtHandle CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                       uint32_t flags) override {
    return drives_.CreateFileW(path, access, share, disposition, flags);
  }
  bool DeviceIoControl(NtHandle device, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
                       uint32_t* returned) override;
  bool ReadFile(NtHandle file, void* buffer, uint32_t bytes, uint32_t* read) override;
  bool WriteFile(NtHandle file, const void* buffer, uint32_t bytes, uint32_t* written) override;
  uint32_t SetFilePointer(NtHandle file, int32_t distance, int32_t* high, uint32_t method) override {
    return drives_.SetFilePointer(file, distance, high, method);
  }
  bool CloseHandle(NtHandle handle) override { return drives_.CloseHandle(handle); }
  uint32_t GetLastError() override { return drives_.GetLastError(); }
  bool GetDiskFreeSpaceExW(const std::string& root, uint64_t* freeToCaller, uint64_t* total,
                           uint64_t* totalFree) override {
    return drives_.GetDiskFreeSpaceExW(root, freeToCaller, total, totalFree);
  }

 private:
  void Wait() const;

  INtSyscalls& drives_;
  std::chrono::milliseconds delay_;
};
