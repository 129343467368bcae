#include <windows.h>

#include "base/Utf.h"
#include "base/Wide_win32.h"
#include "floppy/nt/WindowsNtSyscalls.h"

namespace {

HANDLE AsHandle(NtHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

static_assert(sizeof(NtHandle) == sizeof(HANDLE));

NtHandle WindowsNtSyscalls::CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                                        uint32_t flags) {
  HANDLE handle = ::CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
  return reinterpret_cast<NtHandle>(handle);
}

bool WindowsNtSyscalls::DeviceIoControl(NtHandle device, uint32_t code, const void* in, uint32_t inBytes, void* out,
                                        uint32_t outBytes, uint32_t* returned) {
  DWORD count = 0;
  BOOL ok = ::DeviceIoControl(AsHandle(device), code, const_cast<void*>(in), inBytes, out, outBytes, &count, nullptr);
  if (returned) *returned = count;
  return ok != FALSE;
}

bool WindowsNtSyscalls::ReadFile(NtHandle file, void* buffer, uint32_t bytes, uint32_t* read) {
  DWORD count = 0;
  BOOL ok = ::ReadFile(AsHandle(file), buffer, bytes, &count, nullptr);
  if (read) *read = count;
  return ok != FALSE;
}

bool WindowsNtSyscalls::WriteFile(NtHandle file, const void* buffer, uint32_t bytes, uint32_t* written) {
  DWORD count = 0;
  BOOL ok = ::WriteFile(AsHandle(file), buffer, bytes, &count, nullptr);
  if (written) *written = count;
  return ok != FALSE;
}

uint32_t WindowsNtSyscalls::SetFilePointer(NtHandle file, int32_t distance, int32_t* high, uint32_t method) {
  LONG highPart = high ? *high : 0;
  DWORD low = ::SetFilePointer(AsHandle(file), distance, high ? &highPart : nullptr, method);
  if (high) *high = highPart;
  return low;
}

bool WindowsNtSyscalls::CloseHandle(NtHandle handle) { return ::CloseHandle(AsHandle(handle)) != FALSE; }

uint32_t WindowsNtSyscalls::GetLastError() { return ::GetLastError(); }

bool WindowsNtSyscalls::GetDiskFreeSpaceExW(const std::string& root, uint64_t* freeToCaller, uint64_t* total,
                                            uint64_t* totalFree) {
  ULARGE_INTEGER caller{}, size{}, free{};
  if (!::GetDiskFreeSpaceExW(Wide(root).c_str(), &caller, &size, &free)) return false;
  if (freeToCaller) *freeToCaller = caller.QuadPart;
  if (total) *total = size.QuadPart;
  if (totalFree) *totalFree = free.QuadPart;
  return true;
}
