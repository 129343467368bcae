// Changes to the files on an image's disk where they are hard: the process killed at any moment (the image
// is then the old one or the new one, and dosfstools finds nothing wrong with either), and two changes to
// one image at once (neither undoes the other).
#include <signal.h>

#include <chrono>
#include <future>
#include <random>
#include <thread>

#include "base/File.h"
#include "support/ProgramsFixture_posix.h"

namespace {

using ImageChangeFaults = ProgramsTest;

std::string Shell(const std::string& dir, const std::string& command) {
  ProgramOptions options;
  options.env = {{"MTOOLS_SKIP_CHECK", "1"}, {"LC_ALL", "C.UTF-8"}, {"TZ", "UTC"}, {"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}};
  ProgramRun run = RunProgram("/bin/sh", {"-c", "cd '" + dir + "' && " + command}, options);
  EXPECT_EQ(run.exitCode, 0) << command << "\n" << run.out << run.err;
  return run.out;
}

TEST_F(ImageChangeFaults, KilledAtAnyMomentTheImageIsTheOldOrTheNewOne) {
  env["TZ"] = "UTC";
  // Random bytes compress slowly: the save takes long enough to be hit at every step.
  Shell(dir, "mkdir -p src/data && for i in $(seq 1 12); do head -c 100000 /dev/urandom > \"src/data/part $i.bin\"; done");
  const std::string image = Path("disk.imz");
  ASSERT_EQ(Diskelle({"--new", image, "--label", "OLD"}).exitCode, 0);
  const std::string old = ReadWhole(image);
  WriteWhole(Path("model.imz"), old);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Diskelle({"--add", Path("model.imz"), Path("src/data")}).exitCode, 0);
  const int took = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
  const std::string changed = ReadWhole(Path("model.imz"));
  ASSERT_NE(changed, old);
  for (const char* judged : {"disk.imz", "model.imz"}) {
    Shell(dir, "rm -f judged.img");
    ASSERT_EQ(Diskelle({"/c", "/i", Path(judged), "/o", Path("judged.img"), "/s"}).exitCode, 0);
    Shell(dir, "fsck.fat -n judged.img");
  }

  std::mt19937 random(30);
  const int signals[] = {SIGKILL, SIGTERM, SIGINT};
  int interrupted = 0;
  for (int round = 0; round < 12; ++round) {
    const int after = std::uniform_int_distribution<int>(0, took)(random);
    const int signal = signals[round % 3];
    SCOPED_TRACE(testing::Message() << "signal " << signal << " after " << after << " ms");
    WriteWhole(image, old);
    ProgramOptions options;
    options.env = env;
    ProgramRun run = RunProgramWith(DISKELLE_CLI, {"--add", image, Path("src/data")}, options, [&](pid_t pid) {
      std::this_thread::sleep_for(std::chrono::milliseconds(after));
      ::kill(pid, signal);
    });
    const std::string now = ReadWhole(image);
    EXPECT_TRUE(now == old || now == changed);
    // A run that says it changed the image did; one cancelled by Ctrl-C did not. A run ended by a signal may
    // have been ended just after the new image took its name.
    if (run.exitCode == 0 || run.exitCode == 1) {
      EXPECT_TRUE(now == (run.exitCode == 0 ? changed : old)) << run.err;
    }
    if (run.exitCode != 0) ++interrupted;
    // Caught signals take the temporary file with them; what SIGKILL leaves, the next save removes.
    if (signal != SIGKILL) {
      EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
    }
    ASSERT_EQ(Diskelle({"--label", image, "AGAIN"}).exitCode, 0);
    EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
  }
  EXPECT_GT(interrupted, 0);
}

TEST_F(ImageChangeFaults, TwoChangesAtOnceBothReachTheImage) {
  // A compressed image of random bytes: each save takes long enough for the other change to come meanwhile.
  const std::string image = Path("disk.imz");
  Shell(dir, "mkdir src && head -c 600000 /dev/urandom > src/filler");
  ASSERT_EQ(Diskelle({"--new", image, Path("src")}).exitCode, 0);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    const std::string one = "one" + std::to_string(round) + ".bin", two = "two" + std::to_string(round) + ".bin";
    Shell(dir, "head -c 20000 /dev/urandom > " + one + " && head -c 20000 /dev/urandom > " + two);
    auto first = std::async(std::launch::async, [&] { return Diskelle({"--add", image, Path(one)}); });
    ProgramRun second = Diskelle({"--add", image, Path(two)});
    ProgramRun firstRun = first.get();
    EXPECT_EQ(firstRun.exitCode, 0) << firstRun.err;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    // Each change was made to the image the other left: both files are there, whole.
    ::unlink(Path("judged.img").c_str());
    ASSERT_EQ(Diskelle({"/c", "/i", image, "/o", Path("judged.img"), "/s"}).exitCode, 0);
    Shell(dir, "rm -rf taken && mkdir taken && mcopy -i judged.img ::/" + one + " ::/" + two + " taken/ && cmp " + one +
                   " taken/" + one + " && cmp " + two + " taken/" + two + " && fsck.fat -n judged.img");
  }
}

}  // namespace
