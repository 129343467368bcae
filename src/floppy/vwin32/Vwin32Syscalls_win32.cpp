#include <windows.h>

#include <array>
#include "floppy/vwin32/WindowsVwin32Syscalls.h"

namespace {

HANDLE AsHandle(NtHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

NtHandle WindowsVwin32Syscalls::CreateFileW(const std::string& path, uint32_t access, uint32_t share,
                                            uint32_t disposition, uint32_t flags) {
  // Windows 9x has no wide CreateFile; the device path is plain ASCII.
  HANDLE handle = ::CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  return reinterpret_cast<NtHandle>(handle);
}

bool WindowsVwin32Syscalls::DeviceIoControl(NtHandle device, uint32_t code, DiocRegisters& registers) {
  std::array<uint8_t, kDiocRegistersBytes> in = EncodeRegisters(registers);
  std::array<uint8_t, kDiocRegistersBytes> out = in;
  DWORD returned = 0;
  BOOL ok = ::DeviceIoControl(AsHandle(device), code, in.data(), kDiocRegistersBytes, out.data(), kDiocRegistersBytes,
                              &returned, nullptr);
  registers = DecodeRegisters(out.data());
  return ok != FALSE;
}

uint32_t WindowsVwin32Syscalls::AddressOf(const void* data, uint32_t) {
  // The path runs only in a 32-bit process, where this is the whole address.
  return static_cast<uint32_t>(reinterpret_cast<std::uintptr_t>(data));
}

bool WindowsVwin32Syscalls::CloseHandle(NtHandle handle) { return ::CloseHandle(AsHandle(handle)) != FALSE; }

uint32_t WindowsVwin32Syscalls::GetLastError() { return ::GetLastError(); }
