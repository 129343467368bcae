#pragma once
// A syscall seam that records every call as text (arguments exactly as passed) and fails the calls a test
// scripts, with the Win32 error it names; everything else succeeds.

#include <array>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "floppy/nt/NtRecords.h"
#include "floppy/nt/NtSyscalls.h"

class RecordingNtSyscalls : public INtSyscalls {
 public:
  static constexpr NtHandle kHandle = 0x44;

  // The next calls of function fail with these errors in turn (0 = succeed).
  void Script(const std::string& function, std::initializer_list<uint32_t> errors) {
    for (uint32_t error : errors) outcomes_[function].push_back(error);
  }

  NtHandle CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                       uint32_t flags) override {
    Record("CreateFileW(" + path + ", " + Hex(access) + ", " + Hex(share) + ", " + Hex(disposition) + ", " +
           Hex(flags) + ")");
    return Succeeds("CreateFileW") ? kHandle : kInvalidNtHandle;
  }
  bool DeviceIoControl(NtHandle device, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
                       uint32_t* returned) override {
    Record("DeviceIoControl(" + Hex(device) + ", " + Hex(code) + ", " + std::to_string(inBytes) + ", " +
           (out ? "out" : "null") + ", " + std::to_string(outBytes) + ")");
    const auto* bytes = static_cast<const uint8_t*>(in);
    inputs.push_back(bytes ? std::vector<uint8_t>(bytes, bytes + inBytes) : std::vector<uint8_t>());
    if (!Succeeds("DeviceIoControl")) return false;
    if (code == kIoctlDiskGetDriveGeometry && out && outBytes >= kDiskGeometryBytes) {
      auto reply = EncodeDiskGeometry(geometry);
      std::copy(reply.begin(), reply.end(), static_cast<uint8_t*>(out));
      if (returned) *returned = kDiskGeometryBytes;
    }
    return true;
  }
  bool ReadFile(NtHandle file, void* buffer, uint32_t bytes, uint32_t* read) override {
    Record("ReadFile(" + Hex(file) + ", " + std::to_string(bytes) + ")");
    if (!Succeeds("ReadFile")) return false;
    std::fill_n(static_cast<uint8_t*>(buffer), bytes, uint8_t{0x5A});
    if (read) *read = bytes;
    return true;
  }
  bool WriteFile(NtHandle file, const void*, uint32_t bytes, uint32_t* written) override {
    Record("WriteFile(" + Hex(file) + ", " + std::to_string(bytes) + ")");
    if (!Succeeds("WriteFile")) return false;
    if (written) *written = bytes;
    return true;
  }
  uint32_t SetFilePointer(NtHandle file, int32_t distance, int32_t* high, uint32_t method) override {
    Record("SetFilePointer(" + Hex(file) + ", " + std::to_string(distance) + ", " + (high ? "high" : "null") + ", " +
           std::to_string(method) + ")");
    return Succeeds("SetFilePointer") ? 0 : kInvalidSetFilePointer;
  }
  bool CloseHandle(NtHandle handle) override {
    Record("CloseHandle(" + Hex(handle) + ")");
    return Succeeds("CloseHandle");
  }
  uint32_t GetLastError() override { return lastError_; }
  bool GetDiskFreeSpaceExW(const std::string& root, uint64_t* freeToCaller, uint64_t* total,
                           uint64_t* totalFree) override {
    Record("GetDiskFreeSpaceExW(" + root + ")");
    if (!Succeeds("GetDiskFreeSpaceExW")) return false;
    *freeToCaller = space[0];
    *total = space[1];
    *totalFree = space[2];
    return true;
  }

  std::vector<std::string> calls;
  std::vector<std::vector<uint8_t>> inputs;  // the input bytes of each DeviceIoControl
  NtDiskGeometry geometry{80, 2, 2, 18, 512};
  std::array<uint64_t, 3> space{};  // free to caller, total, total free

 private:
  static std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>(value));
    return text;
  }
  void Record(std::string call) { calls.push_back(std::move(call)); }
  bool Succeeds(const std::string& function) {
    std::deque<uint32_t>& queue = outcomes_[function];
    if (queue.empty()) return true;
    uint32_t error = queue.front();
    queue.pop_front();
    if (error == 0) return true;
    lastError_ = error;
    return false;
  }

  std::map<std::string, std::deque<uint32_t>> outcomes_;
  uint32_t lastError_ = 0;
};
