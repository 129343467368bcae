// Several processes at once on one virtual floppy or one output file: no process undoes another's work,
// and none reports a success that a later one quietly took back.
#include <future>

#include "support/ProgramsFixture_posix.h"

namespace {

using Concurrency = ProgramsTest;

TEST_F(Concurrency, OneProcessAtATimeHasAVirtualDrive) {
  NewFloppy("one.vfd", {"--format", "1440", "--fill", "random"});
  NewFloppy("two.vfd", {"--format", "1440", "--fill", "random"});
  drives["DISKELLE_DRIVE_A"] = Path("one.vfd");
  ASSERT_EQ(Diskelle({"/r", "/o", Path("one.img")}).exitCode, 0);
  drives["DISKELLE_DRIVE_A"] = Path("two.vfd");
  ASSERT_EQ(Diskelle({"/r", "/o", Path("two.img")}).exitCode, 0);
  const std::string one = ReadWhole(Path("one.img")).substr(0, 1474560);

  struct Case {
    const char* title;
    std::vector<std::string> first, second;  // the second runs while the first has the drive
    bool secondIsVfloppy;
  } cases[] = {
      {"a read, then a write", {"/r", "/o", Path("copy.img")}, {"/s", "/i", Path("two.img"), "/w"}, false},
      {"two writes", {"/s", "/i", Path("one.img"), "/w"}, {"/s", "/i", Path("two.img"), "/w"}, false},
      {"a read, then a new floppy made over the file", {"/r", "/o", Path("copy.img")},
       {"create", Path("disk.vfd"), "--format", "720", "--force"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::string floppy = Path("disk.vfd");
    NewFloppy("disk.vfd", {"--format", "1440", "--fill", "zero", "--force"});
    // Place the first image so that a write of it changes the disk.
    drives["DISKELLE_DRIVE_A"] = floppy;
    ASSERT_EQ(Diskelle({"/s", "/i", Path("one.img"), "/w"}).exitCode, 0);
    const std::string before = RawOf(floppy);
    // The first is held while it has the drive, as it begins to save its image or the floppy's file.
    ProgramOptions held;
    held.env = env;
    held.env.insert(drives.begin(), drives.end());
    held.env[kHoldSaveVariable] = c.first[0] == "/r" ? Path("copy.img") : floppy;
    ProgramRun second;
    ProgramRun firstRun = RunProgramWith(DISKELLE_CLI, c.first, held, [&](pid_t pid) {
      ASSERT_TRUE(WaitForHold(pid, [&] { return FileIsLocked(floppy); })) << "the first never held the drive";
      second = c.secondIsVfloppy ? Vfloppy(c.second) : Diskelle(c.second);
      ContinueToTheEnd(pid);
    });
    // The first had the drive; the second was refused and said so.
    EXPECT_EQ(firstRun.exitCode, 0) << firstRun.err;
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(Contains(second.err, c.secondIsVfloppy ? "in use" : "不能打开 A: (" + floppy + ")。")) << second.err;
    // The disk holds what the first left, nothing of the second.
    EXPECT_TRUE(RawOf(floppy) == (c.first[0] == "/s" ? one : before));
    if (c.first[0] == "/r") {
      EXPECT_TRUE(ReadWhole(Path("copy.img")).substr(0, 1474560) == before);
    }
  }
}

// Processes that find the settings file damaged at the same time each keep a whole copy, none overwritten.
TEST_F(Concurrency, DamagedSettingsFoundByManyProcessesAtOnce) {
  const std::string hive = Path("settings.reg");
  for (int round = 0; round < 5; ++round) {
    const std::string damaged = "damaged round " + std::to_string(round);
    WriteWhole(hive, damaged);
    std::vector<std::future<ProgramRun>> runs;
    for (int i = 0; i < 6; ++i) runs.push_back(std::async(std::launch::async, [&] { return Diskelle({}); }));
    for (auto& run : runs) EXPECT_EQ(run.get().exitCode, 0);
    int copies = 0;
    for (const std::string& name : FileNames()) {
      if (name.rfind("settings.reg.bad", 0) != 0) continue;
      std::string copy = ReadWhole(Path(name));
      EXPECT_EQ(copy.rfind("damaged round ", 0), 0u) << name;
      copies += copy == damaged;
    }
    EXPECT_GE(copies, 1) << "round " << round;
  }
}

TEST_F(Concurrency, ConversionsToOneOutputNeverMix) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  ASSERT_EQ(Diskelle({"/r", "/o", Path("a.img"), "/d", "first"}).exitCode, 0);
  drives["DISKELLE_DRIVE_A"] = NewFloppy("b.vfd", {"--format", "720", "--fill", "random"});
  ASSERT_EQ(Diskelle({"/r", "/o", Path("b.img"), "/d", "second"}).exitCode, 0);
  const std::string a = ReadWhole(Path("a.img")), b = ReadWhole(Path("b.img"));
  std::string out = Path("out.img");
  for (int round = 0; round < 40; ++round) {
    auto left = std::async(std::launch::async, [&] { return Diskelle({"/c", "/i", Path("a.img"), "/o", out}); });
    ProgramRun right = Diskelle({"/c", "/i", Path("b.img"), "/o", out});
    ProgramRun leftRun = left.get();
    ASSERT_EQ(leftRun.exitCode, 0) << "round " << round << leftRun.err;
    ASSERT_EQ(right.exitCode, 0) << "round " << round << right.err;
    std::string result = ReadWhole(out);
    ASSERT_TRUE(result == a || result == b) << "round " << round;
    ASSERT_EQ(UnfinishedSaves(), std::vector<std::string>{}) << "round " << round;
  }
  EXPECT_EQ(Diskelle({"/t", "/i", out}).exitCode, 0);
}

}  // namespace
