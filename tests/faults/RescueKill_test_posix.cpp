// A rescue killed at any moment (SIGKILL: nothing is cleaned up) is resumed to the image that one rescue
// without interruption makes.
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <thread>

#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "support/MapfileReader.h"
#include "support/ProgramsFixture_posix.h"
#include "support/SmallFileSystem_posix.h"

namespace {

using RescueKill = ProgramsTest;

// The sectors that image and map hold as read (finished in the map, no marker in the image); -1 when one of
// them is not the disk's (raw) or the map cannot be read.
int GoodSectors(const std::string& image, const std::string& raw) {
  std::optional<Mapfile> map = ReadMapfile(ReadWhole(image + ".map"));
  std::string data = ReadWhole(image);
  if (!map || data.size() < raw.size()) return -1;
  int good = 0;
  for (const MapfileBlock& block : map->blocks) {
    for (uint64_t at = block.position; block.status == '+' && at < block.position + block.size; at += 512) {
      if (data.compare(at, 22, "BAD SECTOR DUMMY BLOCK") == 0) continue;
      if (data.compare(at, 512, raw, at, 512) != 0) return -1;
      ++good;
    }
  }
  return good;
}

std::string BadList(int first, int count, int step) {
  std::string list;
  for (int i = 0; i < count; ++i) list += (list.empty() ? "" : ",") + std::to_string(first + i * step);
  return list;
}

TEST_F(RescueKill, ResumesKilledAtRandomEndWhereOneResumeEnds) {
  std::string first = NewFloppy("first.vfd", {"--format", "1440", "--fill", "random", "--bad", BadList(30, 40, 70)});
  std::string raw = Path("disk.raw");
  ASSERT_EQ(Vfloppy({"dump", first, raw}).exitCode, 0);
  std::string disk = ReadWhole(raw);
  // The same disk in a drive that fails elsewhere (and on one sector both fail).
  std::string second = NewFloppy("second.vfd", {"--format", "1440", "--from", raw, "--bad", "30," + BadList(45, 10, 200)});

  auto read = [&](const std::string& floppy, const std::string& image, bool resume) {
    drives["DISKELLE_DRIVE_A"] = floppy;
    std::vector<std::string> arguments{"/r", "/o", image, "/s"};
    if (resume) arguments.insert(arguments.begin(), "--resume");
    return Diskelle(arguments);
  };
  ProgramRun firstRun = read(first, Path("once.img"), true);  // nothing to resume yet: a whole emergency read
  ASSERT_EQ(firstRun.exitCode, 0) << firstRun.err;
  std::string image = ReadWhole(Path("once.img"));
  std::string map = ReadWhole(Path("once.img.map"));
  WriteWhole(Path("once.img.before"), image);
  WriteWhole(Path("once.img.before.map"), map);
  ASSERT_EQ(read(second, Path("once.img"), true).exitCode, 0);

  ASSERT_GT(GoodSectors(Path("once.img.before"), disk), 2800);
  // Rounds end the resume by SIGKILL (nothing cleaned up), SIGINT (Ctrl-C: the job is cancelled) or SIGTERM.
  const int signals[] = {SIGKILL, SIGINT, SIGTERM};
  std::mt19937 random(4);
  int killed = 0;
  for (int round = 0; round < 24; ++round) {
    int after = std::uniform_int_distribution<int>(0, 900)(random);
    int signal = signals[round % 3];
    SCOPED_TRACE(testing::Message() << "signal " << signal << " after " << after << " ms");
    WriteWhole(Path("killed.img"), image);
    WriteWhole(Path("killed.img.map"), map);
    ProgramOptions options;
    options.env = env;
    options.env["DISKELLE_DRIVE_DELAY_MS"] = "20";  // the resume then takes about a second
    options.env["DISKELLE_DRIVE_A"] = second;
    ProgramRun run = RunProgramWith(DISKELLE_CLI, {"--resume", "/r", "/o", Path("killed.img"), "/s"}, options,
                                    [&](pid_t pid) {
                                      // A moment drawn at random, not a wait: any moment must do.
                                      std::this_thread::sleep_for(std::chrono::milliseconds(after));
                                      ::kill(pid, signal);
                                    });
    if (run.exitCode != 0) {
      ++killed;
      for (const std::string& left : UnfinishedSaves()) RemoveFile(left);
    }
    // Whatever the moment, the pair holds every sector it held before, each as the disk has it, and is one a
    // resume can go on from; going on ends where one resume ends.
    EXPECT_GE(GoodSectors(Path("killed.img"), disk), GoodSectors(Path("once.img.before"), disk));
    ASSERT_EQ(read(second, Path("killed.img"), true).exitCode, 0);
    EXPECT_EQ(ReadWhole(Path("killed.img")), ReadWhole(Path("once.img")));
    EXPECT_EQ(ReadWhole(Path("killed.img.map")), ReadWhole(Path("once.img.map")));
  }
  EXPECT_GT(killed, 0);
  std::optional<Mapfile> merged = ReadMapfile(ReadWhole(Path("once.img.map")));
  ASSERT_TRUE(merged);
  EXPECT_EQ(BadSectorsOfMapfile(*merged), std::vector<int64_t>{30});
}

// Ctrl-C after the first checkpoint keeps what the rescue has put in place; before it, a file that was at
// the path stays as it was.
TEST_F(RescueKill, CtrlCKeepsTheLastCheckpointOrTheFileThatWasThere) {
  std::string floppy = NewFloppy("a.vfd", {"--format", "1440", "--fill", "random", "--bad", "100-110"});
  std::string disk = RawOf(floppy);
  ProgramOptions options;
  options.env = env;
  options.env["DISKELLE_DRIVE_DELAY_MS"] = "5";  // about 15 s for the whole disk
  options.env["DISKELLE_DRIVE_A"] = floppy;
  for (bool afterCheckpoint : {false, true}) {
    SCOPED_TRACE(afterCheckpoint ? "after a checkpoint" : "before the first checkpoint");
    WriteWhole(Path("rescue.img"), "an older file");
    RemoveFile(Path("rescue.img.map"));
    StoreSettings("\"Emergency\"=dword:00000001\n");
    // Held once the job reads (it has the drive) and saves its image, or as the first checkpoint, its image in
    // place, saves the map.
    options.env[kHoldSaveVariable] = Path(afterCheckpoint ? "rescue.img.map" : "rescue.img");
    ProgramRun run = RunProgramWith(DISKELLE_CLI, {"/r", "/o", Path("rescue.img"), "/s"}, options, [&](pid_t pid) {
      ASSERT_TRUE(WaitForHold(pid, [&] {
        return afterCheckpoint ? ReadWhole(Path("rescue.img")) != "an older file" : FileIsLocked(floppy);
      })) << (afterCheckpoint ? "the first checkpoint never saved the map" : "the job never began to save its image");
      ::kill(pid, SIGINT);
      ContinueToTheEnd(pid);
    });
    EXPECT_EQ(run.exitCode, 1) << run.err;
    if (!afterCheckpoint) {
      EXPECT_EQ(ReadWhole(Path("rescue.img")), "an older file");
      EXPECT_FALSE(FileExists(Path("rescue.img.map")));
    } else {
      EXPECT_GT(GoodSectors(Path("rescue.img"), disk), 0);
      drives["DISKELLE_DRIVE_A"] = floppy;
      ASSERT_EQ(Diskelle({"--resume", "/r", "/o", Path("rescue.img"), "/s"}).exitCode, 0);
      EXPECT_EQ(GoodSectors(Path("rescue.img"), disk), 2880 - 11);
    }
  }
}

// A checkpoint that finds no room fails the rescue, which keeps the checkpoint before it; with room again,
// --resume goes on from there.
TEST_F(RescueKill, ACheckpointWithoutRoomKeepsTheOneBefore) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
  std::string floppy = NewFloppy("a.vfd", {"--format", "1440", "--fill", "random", "--bad", "100-110"});
  std::string disk = RawOf(floppy);
  // Room for one image and its map, not for the next checkpoint's temporary file beside them.
  SmallFileSystem small(Path("small"), "2m");
  if (!small.Mounted()) GTEST_SKIP() << "this system does not let the test mount a tmpfs: " << small.Why();
  std::string image = Path("small/rescue.img");
  drives["DISKELLE_DRIVE_A"] = floppy;
  ProgramOptions slow;
  slow.env["DISKELLE_DRIVE_DELAY_MS"] = "5";  // about 15 s for the whole disk: two checkpoints or more
  StoreSettings("\"Emergency\"=dword:00000001\n");
  ProgramRun run = Diskelle({"/r", "/o", image, "/s"}, slow);
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err, "");
  int kept = GoodSectors(image, disk);
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, 2880 - 11);
  EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});

  ASSERT_TRUE(small.Resize("8m"));
  ProgramRun resumed = Diskelle({"--resume", "/r", "/o", image, "/s"});
  ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
  EXPECT_EQ(GoodSectors(image, disk), 2880 - 11);
}

// A resume needs its map as a file, and one job at a time: the image is not touched otherwise.
TEST_F(RescueKill, ResumesWithoutAUsableMapOrIntoABusyImageAreRefused) {
  std::string floppy = NewFloppy("a.vfd", {"--format", "1440", "--fill", "random", "--bad", "0-3,100-160"});
  drives["DISKELLE_DRIVE_A"] = floppy;
  std::string image = Path("rescue.img"), map = image + ".map";
  ASSERT_EQ(Diskelle({"--resume", "/r", "/o", image, "/s"}).exitCode, 0);
  std::string before = ReadWhole(image);
  std::string mapBefore = ReadWhole(map);
  ASSERT_TRUE(std::rename(map.c_str(), Path("kept.map").c_str()) == 0);
  struct Case {
    const char* name;
    std::function<void()> make;
  } cases[] = {
      {"missing", [] {}},
      {"a folder", [&] { ::mkdir(map.c_str(), 0700); }},
      {"a FIFO", [&] { ::mkfifo(map.c_str(), 0600); }},
      {"a dangling link", [&] { ASSERT_EQ(::symlink(Path("gone.map").c_str(), map.c_str()), 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.make();
    ProgramRun run = Diskelle({"--resume", "/r", "/o", image, "/s"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, FormatText(TextOf(kTextRescueMapMissing), {image, map}))) << run.err;
    EXPECT_EQ(ReadWhole(image), before);
    ::rmdir(map.c_str());
    ::unlink(map.c_str());
  }
  ASSERT_TRUE(std::rename(Path("kept.map").c_str(), map.c_str()) == 0);

  ProgramOptions held;
  held.env = env;
  held.env["DISKELLE_DRIVE_A"] = floppy;
  held.env[kHoldSaveVariable] = image;
  ProgramRun second;
  ProgramRun first = RunProgramWith(DISKELLE_CLI, {"--resume", "/r", "/o", image, "/s"}, held, [&](pid_t pid) {
    // The first holds the image before it begins to save into it (not yet as it checks the target).
    ASSERT_TRUE(WaitForHold(pid, [&] { return FileIsLocked(image); })) << "the first resume never held rescue.img";
    second = Diskelle({"--resume", "/r", "/o", image, "/s"});
    ContinueToTheEnd(pid);
  });
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_TRUE(Contains(second.err, FormatText(TextOf(kTextRescueImageInUse), {image}))) << second.err;
  EXPECT_EQ(ReadWhole(map), mapBefore) << "the disk is the same: the resume finds the same sectors bad";
}

}  // namespace
