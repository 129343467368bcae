#pragma once
// Which Windows family the program runs on, found once at start-up before anything reads it.

#include <cstdint>

struct PlatformInfo {
  uint32_t ntMajorVersion = 0;      // 4 = NT 4.0, 5 = 2000/XP, ...; 0 on Windows 9x (selects the 9x device path)
  int isWindowsMe = 0;              // a 9x system whose build number (low 16 bits) is 3000
  int internetStateAvailable = 0;   // WININET.DLL exports InternetGetConnectedState
};

// The answer of GetVersionEx, as DetectPlatform reads it.
struct OsVersion {
  uint32_t platformId = 0;  // 1 Windows 9x, 2 NT
  uint32_t majorVersion = 0;
  uint32_t buildNumber = 0;
};

PlatformInfo ClassifyPlatform(const OsVersion& version, bool internetStateAvailable);

// The platform this process runs on (the POSIX build behaves as an NT-family system).
PlatformInfo DetectPlatform();
