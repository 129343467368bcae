#pragma once
// The thin syscall seam of the NT device path: exactly the Win32 calls it makes, with their Win32 meaning.
// The Windows build passes them to the OS; the simulated drive answers them like the OS would, so the
// same device code runs in tests, in the POSIX build and for virtual floppies.

#include <cstdint>
#include <string>

using NtHandle = std::uintptr_t;
inline constexpr NtHandle kInvalidNtHandle = ~NtHandle{0};  // INVALID_HANDLE_VALUE

inline constexpr uint32_t kGenericRead = 0x80000000u;
inline constexpr uint32_t kGenericWrite = 0x40000000u;
inline constexpr uint32_t kFileShareRead = 0x1;
inline constexpr uint32_t kFileShareWrite = 0x2;
inline constexpr uint32_t kOpenExisting = 3;
inline constexpr uint32_t kFileBegin = 0;
inline constexpr uint32_t kFileCurrent = 1;
inline constexpr uint32_t kInvalidSetFilePointer = 0xFFFFFFFFu;

inline constexpr uint32_t kIoctlDiskGetDriveGeometry = 0x70000;
inline constexpr uint32_t kIoctlDiskFormatTracks = 0x7C018;
inline constexpr uint32_t kIoctlDiskFormatTracksEx = 0x7C02C;

inline constexpr uint32_t kDiskGeometryBytes = 24;         // DISK_GEOMETRY
inline constexpr uint32_t kFormatParametersBytes = 20;     // FORMAT_PARAMETERS
inline constexpr uint32_t kFormatExParametersBytes = 224;  // FORMAT_EX_PARAMETERS as the program sends it

class INtSyscalls {
 public:
  virtual ~INtSyscalls() = default;
  // path is UTF-8, e.g. "\\\\.\\A:".
  virtual NtHandle CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                               uint32_t flags) = 0;
  virtual bool DeviceIoControl(NtHandle device, uint32_t code, const void* in, uint32_t inBytes, void* out,
                               uint32_t outBytes, uint32_t* returned) = 0;
  virtual bool ReadFile(NtHandle file, void* buffer, uint32_t bytes, uint32_t* read) = 0;
  virtual bool WriteFile(NtHandle file, const void* buffer, uint32_t bytes, uint32_t* written) = 0;
  // Returns the new low 32 bits of the position, or kInvalidSetFilePointer with an error code.
  virtual uint32_t SetFilePointer(NtHandle file, int32_t distance, int32_t* high, uint32_t method) = 0;
  virtual bool CloseHandle(NtHandle handle) = 0;
  // The error of the last failed call on this thread.
  virtual uint32_t GetLastError() = 0;
  // root is "A:" (as the program passes the drive letter).
  virtual bool GetDiskFreeSpaceExW(const std::string& root, uint64_t* freeToCaller, uint64_t* total,
                                   uint64_t* totalFree) = 0;
};
