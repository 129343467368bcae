#pragma once
// Restarting the computer after a disk was made, behind a seam: $DISKELLE_RESTART_LOG, when set, names a
// file that receives one line per restart asked for instead (tests, and trying an image out).

#include <memory>

class ISystemRestart {
 public:
  virtual ~ISystemRestart() = default;
  virtual void Restart() = 0;
};

// ntFamily: the privilege and reboot of NT; otherwise Explorer is ended first, as Windows 9x needs.
std::unique_ptr<ISystemRestart> MakeSystemRestart(bool ntFamily);
