#include <stdlib.h>

#include "base/Utf.h"
#include "floppy/FloppyDrives.h"
#include "floppy/NtFloppyDevice.h"
#include "floppy/WindowsNtSyscalls.h"

std::optional<std::string> ProcessEnvironment(const std::string& name) {
  std::u16string wideName = Utf8ToUtf16(name);
  const wchar_t* value = ::_wgetenv(std::wstring(wideName.begin(), wideName.end()).c_str());
  if (!value) return std::nullopt;
  std::wstring text(value);
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

// The Windows 9x device path will take the place of the NT one here once the platform is told apart.
std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices() {
  return std::make_unique<NtFloppyDeviceFactory>(std::make_unique<WindowsNtSyscalls>());
}
