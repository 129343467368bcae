// vfloppy: makes and inspects the virtual floppy files that stand in for a drive ($DISKELLE_DRIVE_A/B).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Signals.h"
#include "cli/VersionOption.h"
#include "floppy/virtual/VirtualFloppyTool.h"

int main(int argc, char** argv) {
  InstallSignalHandlers(nullptr);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string out, err;
  int status = kToolDone;
  if (AsksForVersion(std::vector<std::string>(argv, argv + argc))) {
    out = VersionLine() + "\n";
  } else {
    status = RunVirtualFloppyTool(arguments, out, err);
  }
  // Output nobody received (a full disk, a closed pipe) is a failed run, not a silent one.
  bool delivered = std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0;
  if (!delivered) {
    err += "vfloppy: cannot write standard output\n";
    if (status == kToolDone) status = kToolFailed;
  }
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
