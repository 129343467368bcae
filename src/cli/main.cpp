// diskelle: the POSIX command line front end. Same switches and operations as diskelle.exe.
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "base/Clock.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "cli/FileCommands.h"
#include "cli/ImageChangeCommand.h"
#include "cli/SelfExtractorStub.h"
#include "cli/SettingsCommands.h"
#include "cli/Signals.h"
#include "cli/TerminalFront.h"
#include "cli/TerminalHelp.h"
#include "cli/TerminalMessageBoxes.h"
#include "cli/TerminalText.h"
#include "cli/VersionOption.h"
#include "floppy/FloppyDrives.h"
#include "floppy/linux/LinuxDriveList.h"
#include "settings/FileRegistry.h"

namespace {

std::atomic<bool> interrupted{false};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  LowerLongOptions(arguments);
  bool resume = TakeResumeOption(arguments);
  bool verbose = TakeVerboseOption(arguments);
  bool terminal = ::isatty(2) != 0;
  TerminalMessageBoxes boxes(stdin, stdout, stderr, ::isatty(0) != 0);
  TerminalFront front(boxes, stdout, stderr, terminal, ::isatty(1) != 0, interrupted, ProgramName(arguments));

  if (resume && OperationSwitch(arguments) != 'r' && OperationSwitch(arguments) != 'c') {
    std::fprintf(stderr, "%s\n", kTextResumeNeedsRead);
    return front.CloseOutput(kExitUnusable);
  }

  // The commands that use no settings, drives or self-extractor run before any of them is looked up: a
  // listing or the version line costs little more than starting the program.
  if (AsksForVersion(arguments)) {
    std::fprintf(stdout, "%s\n", VersionLine().c_str());
    return front.CloseOutput(kExitDone);
  }
  // Installed only now: the version line saves nothing a signal would have to remove, and the twelve
  // handlers are 24 system calls of its start.
  InstallSignalHandlers(&interrupted);
  if (std::optional<int> exitCode = RunFileCommand(arguments, boxes, stdout, stderr, &interrupted)) {
    return front.CloseOutput(*exitCode);
  }
  if (arguments.size() == 2 && arguments[1] == "--drives") {
    std::unique_ptr<ILinuxSyscalls> kernel = LinuxKernelSyscalls();
    std::vector<FoundDrive> drives = FindFloppyDrives(*kernel, "/sys/block", "/dev");
    for (const FoundDrive& drive : drives) {
      std::fprintf(stdout, "%s\n", TerminalSafe(DescribeDrive(drive)).c_str());
    }
    if (drives.empty()) std::fprintf(stdout, "%s\n", kTextDrivesNone);
    return front.CloseOutput(kExitDone);
  }

  FileRegistry registry(FileRegistry::DefaultPath(), [&](const std::string& hive, const std::string& kept) {
    std::string text = kept.empty() ? FormatText(kTextSettingsFileDamagedKept, {TerminalSafe(hive)})
                                    : FormatText(kTextSettingsFileDamaged, {TerminalSafe(hive), TerminalSafe(kept)});
    boxes.Show(0, text, MessageIcon::Exclamation);
  });
  FloppyDrives devices(ProcessEnvironment, SystemFloppyDevices());
  SystemClock clock;
  ApplicationServices services{registry,
                               boxes,
                               devices,
                               clock,
                               DetectPlatform(),
                               SelfExtractorCarrier(ProcessEnvironment, OwnProgramPath(), DISKELLE_SFX_FROM_PROGRAM),
                               PathStyle::Posix};
  Application application(services, front);
  front.SetApplication(application);
  front.SetVerbose(verbose);
  application.LoadAllSettings();
  application.resumePolicy = resume ? ResumePolicy::Always : ResumePolicy::Never;
  // Only an emergency image has a map to resume from; a conversion takes the source's sectors into it.
  if (resume) application.settings.m_emergency = 1;

  if (std::optional<int> exitCode =
          RunSettingsCommand(arguments, application, FileRegistry::DefaultPath(), stdout, stderr)) {
    return front.CloseOutput(*exitCode);
  }

  if (std::optional<int> exitCode = RunChangeCommand(arguments, boxes, stderr, application.WriteOptions(), &interrupted)) {
    return front.CloseOutput(*exitCode);
  }
  if (arguments.size() <= 1 || AsksForHelp(arguments)) {
    front.PrintHelp(stdout);
    return front.CloseOutput(kExitDone);
  }
  StartDecision decision = application.RunCommandLine(arguments);
  return front.CloseOutput(decision.exitCode);
}
