// A job ended by a signal leaves no temporary file behind and no damaged image: the output it was making
// is gone, an older file of that name is as it was.
#include <signal.h>

#include <chrono>
#include <thread>

#include "base/File.h"
#include "support/ProgramsFixture_posix.h"

namespace {

using Signals = ProgramsTest;

TEST_F(Signals, EverySignalThatEndsAJobRemovesItsTemporaryFile) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  env["DISKELLE_DRIVE_DELAY_MS"] = "20";
  struct Case {
    const char* title;
    std::vector<int> signals;
    int exitCode;
    bool temporaryFileRemoved;
  } cases[] = {
      {"SIGTERM", {SIGTERM}, 128 + SIGTERM, true},
      {"SIGHUP", {SIGHUP}, 128 + SIGHUP, true},
      {"SIGQUIT", {SIGQUIT}, 128 + SIGQUIT, true},
      {"two Ctrl-C", {SIGINT, SIGINT}, 128 + SIGINT, true},
      {"one Ctrl-C cancels the job", {SIGINT}, 1, true},
      {"SIGKILL cannot be caught", {SIGKILL}, 128 + SIGKILL, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::string output = Path("disk.img");
    WriteWhole(output, "an older image");
    ProgramRun run = RunProgramWith(DISKELLE_CLI, {"/r", "/o", output}, [&] {
      ProgramOptions options;
      options.env = env;
      for (const auto& [name, value] : drives) options.env[name] = value;
      return options;
    }(), [&](pid_t pid) {
      // Once the job is saving into the image's temporary file (the settings file may be saved first).
      auto savingImage = [&] {
        for (const std::string& name : UnfinishedSaves()) {
          if (name.find("disk.img.~dk") != std::string::npos) return true;
        }
        return false;
      };
      // Signalled earlier, the job would have nothing to remove; not signalled at all, it ends on its own.
      ASSERT_TRUE(WaitUntil(savingImage)) << "the image's temporary file never appeared";
      for (int signal : c.signals) {
        ::kill(pid, signal);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the second Ctrl-C before the cancel ends it
      }
    });
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(ReadWhole(output), "an older image");
    EXPECT_EQ(UnfinishedSaves().empty(), c.temporaryFileRemoved);
    for (const std::string& left : UnfinishedSaves()) {
      EXPECT_FALSE(left.ends_with(".img") || left.ends_with(".imz") || left.ends_with(".exe")) << left;
      RemoveFile(left);
    }
  }
}

}  // namespace
