#include "app/Platform.h"

PlatformInfo ClassifyPlatform(const OsVersion& version, bool internetStateAvailable) {
  PlatformInfo info;
  if (version.platformId == 2) {
    info.ntMajorVersion = version.majorVersion;
  } else if (version.platformId == 1) {
    info.isWindowsMe = (version.buildNumber & 0xFFFF) == 3000 ? 1 : 0;
  }
  info.internetStateAvailable = internetStateAvailable ? 1 : 0;
  return info;
}
