// vfloppy: makes and inspects the virtual floppy files that stand in for a drive ($DISKELLE_DRIVE_A/B).
#include <cstdio>
#include <string>
#include <vector>

#include "floppy/VirtualFloppyTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string out, err;
  int status = RunVirtualFloppyTool(arguments, out, err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
