// A job ended by a signal leaves no temporary file behind and no damaged image: the output it was making
// is gone, an older file of that name is as it was.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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
      // Signalled earlier, the job would have nothing to remove; not signalled at all, it ends on its own.
      ASSERT_TRUE(WaitUntil([&] { return Saving("disk.img"); })) << "the image's temporary file never appeared";
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
    }
    if (c.temporaryFileRemoved) continue;
    // What a killed process left, the next save to the same target removes.
    ProgramRun again = Diskelle({"/r", "/o", output});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    for (const std::string& left : UnfinishedSaves()) EXPECT_EQ(left.find("disk.img.~dk"), std::string::npos) << left;
  }
}

// The first Ctrl-C cancels a conversion as it cancels a disk job: no new file, the older one as it was.
TEST_F(Signals, OneCtrlCCancelsAConversion) {
  std::string source = Path("source.img");
  WriteWhole(source, RawOf(NewFloppy("a.vfd", {"--format", "1440", "--fill", "random"})));
  std::string output = Path("copy.imz");
  int cancelled = 0;
  for (int round = 0; round < 5 && cancelled == 0; ++round) {
    WriteWhole(output, "an older image");
    ProgramOptions options;
    options.env = env;
    ProgramRun run = RunProgramWith(DISKELLE_CLI, {"/c", "/i", source, "/o", output}, options, [&](pid_t pid) {
      auto saving = [&] { return !UnfinishedSaves().empty(); };
      for (int i = 0; i < 5000 && !saving(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      // Held while the Ctrl-C is sent, so that a loaded machine does not let the save run on meanwhile.
      ::kill(pid, SIGSTOP);
      ::kill(pid, SIGINT);
      ::kill(pid, SIGCONT);
    });
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode << run.err;
    if (run.exitCode == 1) {
      ++cancelled;
      EXPECT_EQ(run.err, "");
      EXPECT_EQ(ReadWhole(output), "an older image");
    }
    EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
  }
  EXPECT_EQ(cancelled, 1);  // a conversion that ended before the Ctrl-C was heard is tried again
}

// A live process's temporary file is its own: only those whose process is gone are removed.
TEST_F(Signals, OnlyTemporaryFilesOfEndedProcessesAreRemoved) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ASSERT_GT(ended, 0);
  ::waitpid(ended, nullptr, 0);
  std::string live = Path("disk.img.~dk" + std::to_string(::getpid()) + "-livetest.partial");
  std::string dead = Path("disk.img.~dk" + std::to_string(ended) + "-deadtest.partial");
  std::string other = Path("other.img.~dk" + std::to_string(ended) + "-deadtest.partial");
  for (const std::string& path : {live, dead, other}) WriteWhole(path, "left");
  ASSERT_EQ(Diskelle({"/r", "/o", Path("disk.img")}).exitCode, 0);
  EXPECT_TRUE(FileExists(live));
  EXPECT_FALSE(FileExists(dead));
  EXPECT_TRUE(FileExists(other));  // another target's: its own save removes it
}

}  // namespace
