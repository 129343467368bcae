// A job ended by a signal leaves no temporary file behind and no damaged image: the output it was making
// is gone, an older file of that name is as it was.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/File.h"
#include "support/ProgramsFixture_posix.h"

namespace {

using Signals = ProgramsTest;

TEST_F(Signals, EverySignalThatEndsAJobRemovesItsTemporaryFile) {
  const std::string floppy = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  drives["DISKELLE_DRIVE_A"] = floppy;
  // The job still runs for a while once it is let go: long enough for the Ctrl-C to reach it.
  env["DISKELLE_DRIVE_DELAY_MS"] = "20";
  struct Case {
    const char* title;
    std::vector<int> signals;  // the first once the job reads and saves its image, the next at the save's end
    int exitCode;
    bool temporaryFileRemoved;
  } cases[] = {
      {"SIGTERM", {SIGTERM}, 128 + SIGTERM, true},
      {"SIGHUP", {SIGHUP}, 128 + SIGHUP, true},
      {"SIGQUIT", {SIGQUIT}, 128 + SIGQUIT, true},
      // The second while the cancel the first began removes the temporary file.
      {"two Ctrl-C", {SIGINT, SIGINT}, 128 + SIGINT, true},
      {"one Ctrl-C cancels the job", {SIGINT}, 1, true},
      {"SIGKILL cannot be caught", {SIGKILL}, 128 + SIGKILL, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::string output = Path("disk.img");
    WriteWhole(output, "an older image");
    ProgramOptions options;
    options.env = env;
    options.env.insert(drives.begin(), drives.end());
    options.env[kHoldSaveVariable] = output;
    ProgramRun run = RunProgramWith(DISKELLE_CLI, {"/r", "/o", output}, options, [&](pid_t pid) {
      // The target's check before the job (a save begun and dropped) holds too: the job has the drive.
      ASSERT_TRUE(WaitForHold(pid, [&] { return FileIsLocked(floppy); })) << "the job never began to save disk.img";
      for (std::size_t sent = 0; sent < c.signals.size(); ++sent) {
        if (sent > 0) {
          ASSERT_TRUE(WaitForHold(pid)) << "the save of disk.img never came to its end";
        }
        ::kill(pid, c.signals[sent]);
        ::kill(pid, SIGCONT);
      }
      ContinueToTheEnd(pid);
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
  WriteWhole(output, "an older image");
  ProgramOptions options;
  options.env = env;
  options.env[kHoldSaveVariable] = output;
  ProgramRun run = RunProgramWith(DISKELLE_CLI, {"/c", "/i", source, "/o", output}, options, [&](pid_t pid) {
    // As the conversion checks its target, before it begins: a Ctrl-C then cancels it all the same.
    ASSERT_TRUE(WaitForHold(pid)) << "the conversion never checked copy.imz";
    ::kill(pid, SIGINT);
    ContinueToTheEnd(pid);
  });
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadWhole(output), "an older image");
  EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
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
