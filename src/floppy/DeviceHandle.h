#pragma once
// Closing a Windows device handle, the same through the NT and the VWIN32 syscall seams: a close that fails
// may have lost written data, so the phase fails with the system's error.

#include "base/MessageBoxes.h"
#include "base/Texts.h"
#include "floppy/nt/NtSyscalls.h"

// Os has CloseHandle(NtHandle) and GetLastError(). 0, or -1 after message kTextCannotFinishWriting.
template <typename Os>
int CloseDeviceHandle(Os& os, NtHandle& handle, IMessageBoxes& boxes) {
  if (handle == kInvalidNtHandle) return 0;
  bool closed = os.CloseHandle(handle);
  handle = kInvalidNtHandle;
  if (closed) return 0;
  ShowError(boxes, kTextCannotFinishWriting, {os.GetLastError()});
  return -1;
}
