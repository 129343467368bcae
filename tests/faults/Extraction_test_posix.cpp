// Taking files off a disk while the system works against it: another process extracting into the same
// folder, a Ctrl-C halfway, a disk that fills up, a target that cannot take files. Nothing reported written
// may hold anything else, nothing half-written stays, and what went wrong is said once.

#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <map>
#include <regex>

#include "support/CraftedVolume.h"
#include "support/ProgramsFixture_posix.h"
#include "support/SmallFileSystem_posix.h"

namespace {

namespace fs = std::filesystem;

using Extraction = ProgramsTest;

// A disk of folders of 14 files each (one cluster per folder), file names the same on every disk made here;
// each file holds "<tag>:<path>" padded to bytes.
std::string DiskOf(const std::string& tag, int folders, std::size_t bytes) {
  CraftedVolume volume;
  CraftedVolume::Folder root = CraftedVolume::Root();
  char name[16];
  for (int f = 0; f < folders; ++f) {
    std::snprintf(name, sizeof name, "D%03d       ", f % 1000);
    CraftedVolume::Folder folder = volume.AddFolder(root, name);
    for (int i = 0; i < 14; ++i) {
      char file[16];
      std::snprintf(file, sizeof file, "F%02d     TXT", i % 100);
      std::string data = tag + ":" + std::string(name, 4) + "/F" + std::to_string(i);
      data.resize(bytes, '.');
      volume.AddFile(folder, file, data);
    }
  }
  return volume.Image();
}

// Path (relative to root) -> contents of every file under root.
std::map<std::string, std::string> FilesUnder(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadWhole(entry.path().string());
  }
  return files;
}

// The files a run's standard error says were there already, relative to root.
std::vector<std::string> ReportedExisting(const std::string& err, const std::string& root) {
  std::vector<std::string> paths;
  const std::string said = " 已经存在，未替换";
  for (std::size_t at = 0, end; (end = err.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = err.substr(at, end - at);
    const std::size_t tail = line.find(said);
    if (line.starts_with(root + "/") && tail != std::string::npos) {
      paths.push_back(line.substr(root.size() + 1, tail - root.size() - 1));
    }
  }
  return paths;
}

TEST_F(Extraction, TwoRunsIntoOneFolderNeverReplaceEachOthersFiles) {
  WriteWhole(Path("a.img"), DiskOf("A", 20, 300));
  WriteWhole(Path("b.img"), DiskOf("B", 20, 300));
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string out = Path("out" + std::to_string(round));
    auto first = std::async(std::launch::async, [&] { return Diskelle({"--extract", Path("a.img"), out}); });
    ProgramRun b = Diskelle({"--extract", Path("b.img"), out});
    ProgramRun a = first.get();
    std::map<std::string, ProgramRun*> runs{{"A", &a}, {"B", &b}};
    std::map<std::string, std::vector<std::string>> refused;
    for (auto& [tag, run] : runs) {
      EXPECT_TRUE(run->exitCode == 0 || run->exitCode == 1) << run->err;
      refused[tag] = ReportedExisting(run->err, out);
    }
    const std::map<std::string, std::string> files = FilesUnder(out);
    EXPECT_EQ(files.size(), 20u * 14);
    // Each file is whole and one run's; that run did not call it someone else's, the other run did.
    for (const auto& [path, data] : files) {
      const std::string writer = data.substr(0, 1), other = writer == "A" ? "B" : "A";
      EXPECT_EQ(data.substr(0, data.find('.')), writer + ":" + path.substr(0, 4) + "/F" + std::to_string(std::stoi(path.substr(6, 2)))) << path;
      EXPECT_EQ(data.size(), 300u) << path;
      EXPECT_EQ(std::count(refused[writer].begin(), refused[writer].end(), path), 0) << path << " written by " << writer;
      EXPECT_EQ(std::count(refused[other].begin(), refused[other].end(), path), 1) << path << " written by " << writer;
    }
    EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
  }
}

// The first Ctrl-C: the file being written is finished, no other is begun; both counts are said.
TEST_F(Extraction, TheFirstCtrlCStopsAndKeepsWhatWasWrittenWhole) {
  const int kFolders = 150, kFiles = kFolders * 14;
  WriteWhole(Path("disk.img"), DiskOf("A", kFolders, 512));
  const std::string out = Path("out");
  ProgramOptions options;
  options.env = env;
  options.env[kHoldSaveVariable] = out + "/D000/F01.TXT";  // held as the second file is begun
  ProgramRun run = RunProgramWith(DISKELLE_CLI, {"--extract", Path("disk.img"), out}, options, [&](pid_t pid) {
    ASSERT_TRUE(WaitForHold(pid)) << "the second file was never begun";
    ::kill(pid, SIGINT);
    ContinueToTheEnd(pid);
  });
  EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
  const std::map<std::string, std::string> files = FilesUnder(out);
  for (const auto& [path, data] : files) EXPECT_EQ(data.size(), 512u) << path;
  EXPECT_EQ(files.size(), 2u) << "the first file and the one being written, no other";
  EXPECT_EQ(run.exitCode, 1) << run.err;
  std::smatch counts;
  ASSERT_TRUE(std::regex_search(run.err, counts, std::regex("已取消: 已写入 ([0-9]+) 个文件，跳过 ([0-9]+) 个。")))
      << run.err;
  EXPECT_EQ(std::stoul(counts[1]), files.size());
  EXPECT_EQ(std::stoi(counts[1]) + std::stoi(counts[2]), kFiles);
}

// What stands in the way of the whole run is said once, not once per file.
TEST_F(Extraction, AFullDiskOrAnUnusableTargetIsSaidOnce) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
  WriteWhole(Path("disk.img"), DiskOf("A", 10, 4000));  // 140 files of 4000 bytes: 560 KB
  SmallFileSystem full(Path("full"), "64k");
  SmallFileSystem readOnly(Path("readonly"), "64k", MS_RDONLY);
  if (!full.Mounted() || !readOnly.Mounted()) GTEST_SKIP() << "this system does not let the test mount a tmpfs";
  fs::create_directory(Path("real"));
  fs::create_symlink(Path("real"), Path("link"));
  const struct {
    const char* what;
    std::string folder;
    int exitCode;
    std::string said;
  } cases[] = {
      {"a disk that fills up", Path("full/out"), 1, "磁盘已满，不能写入 "},
      {"a read-only file system", Path("readonly/out"), 2, Path("readonly") + " 在只读的文件系统上，不能写入。"},
      {"a target that is a link", Path("link"), 2, Path("link") + " 是一个符号链接"},
      {"a target whose parent is missing", Path("none/out"), 2, Path("none/out") + " 不是一个存在的文件夹。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramRun run = Diskelle({"--extract", Path("disk.img"), c.folder});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_TRUE(Contains(run.err, c.said)) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), c.exitCode == 2 ? 1 : 2) << run.err;
    if (!fs::is_directory(c.folder)) continue;
    for (const auto& [path, data] : FilesUnder(c.folder)) EXPECT_EQ(data.size(), 4000u) << path;
  }
  EXPECT_TRUE(fs::is_empty(Path("real")));
  EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
}

}  // namespace
