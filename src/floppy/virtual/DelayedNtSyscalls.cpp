#include "floppy/virtual/DelayedNtSyscalls.h"

#include <thread>

void DelayedNtSyscalls::Wait() const { std::this_thread::sleep_for(delay_); }

bool DelayedNtSyscalls::DeviceIoControl(NtHandle device, uint32_t code, const void* in, uint32_t inBytes, void* out,
                                        uint32_t outBytes, uint32_t* returned) {
  if (code != kIoctlDiskGetDriveGeometry) Wait();
  return drives_.DeviceIoControl(device, code, in, inBytes, out, outBytes, returned);
}

bool DelayedNtSyscalls::ReadFile(NtHandle file, void* buffer, uint32_t bytes, uint32_t* read) {
  Wait();
  return drives_.ReadFile(file, buffer, bytes, read);
}

bool DelayedNtSyscalls::WriteFile(NtHandle file, const void* buffer, uint32_t bytes, uint32_t* written) {
  Wait();
  return drives_.WriteFile(file, buffer, bytes, written);
}
