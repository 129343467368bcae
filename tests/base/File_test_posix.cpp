// What a save meets on a POSIX system: links, device nodes, FIFOs, permissions, other processes.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/File.h"

namespace {

class PosixFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("diskelle-posix-files-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  static std::string Read(const std::string& path) {
    File file = File::Open(path, FileMode::Read);
    std::string text(4096, '\0');
    text.resize(file ? file.Read(text.data(), text.size()) : 0);
    return text;
  }
  static void Write(const std::string& path, const std::string& text) {
    File file = File::Open(path, FileMode::Create);
    ASSERT_TRUE(file.Write(text.data(), text.size()) && file.Close());
  }
  static mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode;
  }
  std::filesystem::path dir;
};

TEST_F(PosixFiles, SavesFollowLinksKeepModesAndRefuseWhatIsNoFile) {
  struct Case {
    const char* name;
    std::function<void(const std::string& target)> prepare;
    FileSave::Start start;
    std::string where;  // the file that must then hold "saved" (relative to dir), empty: none
  } cases[] = {
      {"new file", [](const std::string&) {}, FileSave::Start::Ready, "target"},
      {"link to a file: the file is updated, the link stays",
       [&](const std::string& t) { Write(Path("real"), "old"); ASSERT_EQ(::symlink("real", t.c_str()), 0); },
       FileSave::Start::Ready, "real"},
      {"link to a link in another folder",
       [&](const std::string& t) {
         std::filesystem::create_directory(dir / "sub");
         Write(Path("sub/real"), "old");
         ASSERT_EQ(::symlink("real", Path("sub/link").c_str()), 0);
         ASSERT_EQ(::symlink((dir / "sub/link").c_str(), t.c_str()), 0);
       },
       FileSave::Start::Ready, "sub/real"},
      {"dangling link: its target is created",
       [&](const std::string& t) { ASSERT_EQ(::symlink("made", t.c_str()), 0); }, FileSave::Start::Ready, "made"},
      {"FIFO", [](const std::string& t) { ASSERT_EQ(::mkfifo(t.c_str(), 0600), 0); }, FileSave::Start::NotRegular, ""},
      {"link to a device", [](const std::string& t) { ASSERT_EQ(::symlink("/dev/null", t.c_str()), 0); },
       FileSave::Start::NotRegular, ""},
      {"folder", [](const std::string& t) { std::filesystem::create_directory(t); }, FileSave::Start::NotRegular, ""},
      {"read-only file", [&](const std::string& t) { Write(t, "old"); ASSERT_EQ(::chmod(t.c_str(), 0444), 0); },
       FileSave::Start::ReadOnly, ""},
  };
  for (const Case& c : cases) {
    SetUp();
    std::string target = Path("target");
    c.prepare(target);
    EXPECT_EQ(FileSave::Check(target), c.start) << c.name;
    EXPECT_EQ(SaveWholeFile(target, "saved", 5), c.start) << c.name;
    if (!c.where.empty()) {
      EXPECT_EQ(Read(Path(c.where)), "saved") << c.name;
    }
    if (!c.where.empty() && c.where != "target") {
      EXPECT_TRUE(S_ISLNK(ModeOf(target))) << c.name;
    }
    if (c.where.empty() && S_ISREG(ModeOf(target))) {
      EXPECT_EQ(Read(target), "old") << c.name;
    }
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
      EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos) << c.name;
      ++entries;
    }
    EXPECT_GT(entries, 0u) << c.name;
  }

  // The mode (and owner) of the replaced file stay; a new file gets the usual mode.
  std::string secret = Path("secret.img");
  Write(secret, "old");
  ::chmod(secret.c_str(), 0640);
  bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(secret.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(SaveWholeFile(secret, "new", 3), FileSave::Start::Ready);
  EXPECT_EQ(ModeOf(secret) & 07777, 0640u);
  struct stat owner {};
  ::stat(secret.c_str(), &owner);
  if (root) {
    EXPECT_EQ(owner.st_uid, 65534u);
  }
  mode_t mask = ::umask(022);
  ::umask(mask);
  ASSERT_EQ(SaveWholeFile(Path("fresh.img"), "new", 3), FileSave::Start::Ready);
  EXPECT_EQ(ModeOf(Path("fresh.img")) & 07777, 0666u & ~mask);
}

TEST_F(PosixFiles, InputsThatAreNoFilesNeverBlock) {
  std::string fifo = Path("pipe.img");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(File::Open(fifo, FileMode::Read));  // would wait for a writer forever
  EXPECT_FALSE(File::Open("/dev/zero", FileMode::Read));  // would never end
  EXPECT_FALSE(FileSize(fifo).has_value());
}

TEST_F(PosixFiles, AnotherProcessSeesTheLock) {
  std::string path = Path("a.vfd");
  Write(path, "disk");
  FileLock lock;
  ASSERT_EQ(lock.Acquire(path), FileLock::Result::Locked);
  auto otherProcessGets = [&] {
    pid_t child = ::fork();
    if (child == 0) {
      FileLock theirs;
      ::_exit(static_cast<int>(theirs.Acquire(path)));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<FileLock::Result>(WEXITSTATUS(status));
  };
  EXPECT_EQ(otherProcessGets(), FileLock::Result::Busy);
  lock.Release();
  EXPECT_EQ(otherProcessGets(), FileLock::Result::Locked);
}

}  // namespace
