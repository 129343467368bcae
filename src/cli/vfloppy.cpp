// vfloppy: makes and inspects the virtual floppy files that stand in for a drive ($DISKELLE_DRIVE_A/B).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/HelpTexts.h"
#include "cli/Signals.h"
#include "cli/TerminalHelp.h"
#include "cli/VersionOption.h"
#include "floppy/virtual/VirtualFloppyTool.h"

int main(int argc, char** argv) {
  InstallSignalHandlers(nullptr);
  const std::vector<std::string> withName(argv, argv + argc);
  std::vector<std::string> arguments(withName.begin() + 1, withName.end());
  const std::string help = VfloppyHelp(HelpLanguageOf(ProcessEnvironment));
  std::string out, err;
  int status = kToolDone;
  if (AsksForVersion(withName)) {
    out = VersionLine() + "\n";
  } else if (AsksForHelp(withName)) {
    out = help;
  } else {
    status = RunVirtualFloppyTool(arguments, out, err);
    // The tool's own usage is English; it is shown in the language of the help, as --help shows it.
    if (status == kToolUsage && err == VirtualFloppyToolUsage()) err = help;
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
