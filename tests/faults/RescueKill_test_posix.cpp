// A rescue killed at any moment (SIGKILL: nothing is cleaned up) is resumed to the image that one rescue
// without interruption makes.
#include <signal.h>

#include <chrono>
#include <random>
#include <thread>

#include "base/File.h"
#include "support/MapfileReader.h"
#include "support/ProgramsFixture_posix.h"

namespace {

using RescueKill = ProgramsTest;

std::string BadList(int first, int count, int step) {
  std::string list;
  for (int i = 0; i < count; ++i) list += (list.empty() ? "" : ",") + std::to_string(first + i * step);
  return list;
}

TEST_F(RescueKill, ResumesKilledAtRandomEndWhereOneResumeEnds) {
  std::string first = NewFloppy("first.vfd", {"--format", "1440", "--fill", "random", "--bad", BadList(30, 40, 70)});
  std::string raw = Path("disk.raw");
  ASSERT_EQ(Vfloppy({"dump", first, raw}).exitCode, 0);
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
  WriteWhole(Path("killed.img"), image);
  WriteWhole(Path("killed.img.map"), map);
  ASSERT_EQ(read(second, Path("once.img"), true).exitCode, 0);

  std::mt19937 random(4);
  int killed = 0;
  for (int round = 0; round < 6; ++round) {
    int after = std::uniform_int_distribution<int>(0, 900)(random);
    SCOPED_TRACE(after);
    WriteWhole(Path("killed.img"), image);
    WriteWhole(Path("killed.img.map"), map);
    ProgramOptions options;
    options.env = env;
    options.env["DISKELLE_DRIVE_DELAY_MS"] = "20";  // the resume then takes about a second
    options.env["DISKELLE_DRIVE_A"] = second;
    ProgramRun run = RunProgramWith(DISKELLE_CLI, {"--resume", "/r", "/o", Path("killed.img"), "/s"}, options,
                                    [&](pid_t pid) {
                                      std::this_thread::sleep_for(std::chrono::milliseconds(after));
                                      ::kill(pid, SIGKILL);
                                    });
    if (run.exitCode == 128 + SIGKILL) {
      ++killed;
      for (const std::string& left : UnfinishedSaves()) RemoveFile(left);
    } else {
      EXPECT_EQ(run.exitCode, 0) << run.err;
    }
    // Whatever the moment, the pair is one a resume can go on from, and going on ends where one resume ends.
    ASSERT_TRUE(ReadMapfile(ReadWhole(Path("killed.img.map"))));
    ASSERT_EQ(read(second, Path("killed.img"), true).exitCode, 0);
    EXPECT_EQ(ReadWhole(Path("killed.img")), ReadWhole(Path("once.img")));
    EXPECT_EQ(ReadWhole(Path("killed.img.map")), ReadWhole(Path("once.img.map")));
  }
  EXPECT_GT(killed, 0);
  std::optional<Mapfile> merged = ReadMapfile(ReadWhole(Path("once.img.map")));
  ASSERT_TRUE(merged);
  EXPECT_EQ(BadSectorsOfMapfile(*merged), std::vector<int64_t>{30});
}

}  // namespace
