#include "base/File.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>

namespace {

class FileSeam : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = (std::filesystem::temp_directory_path() / "diskelle-file-seam").string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void Write(const std::string& path, const std::string& text) {
    File file = File::Open(path, FileMode::Create);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file.Write(text.data(), text.size()));
    ASSERT_TRUE(file.Close());
  }
  std::string Read(const std::string& path) {
    File file = File::Open(path, FileMode::Read);
    std::string text(4096, '\0');
    text.resize(file ? file.Read(text.data(), text.size()) : 0);
    return text;
  }
  std::string dir;
};

TEST_F(FileSeam, SavesReplaceOnlyWhenCommittedAndLeaveNoTemporaryFile) {
  std::string target = dir + "/软盘 image.img";  // non-ASCII paths reach the system intact
  Write(target, "old");
  auto folderHolds = [&] {
    auto entries = std::filesystem::directory_iterator(std::filesystem::path(dir));
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
  };
  {
    FileSave save;
    ASSERT_EQ(save.Begin(target), FileSave::Start::Ready);
    EXPECT_FALSE(save.TempPath().ends_with(".img"));
    ASSERT_TRUE(save.Write("new contents", 12));
    EXPECT_EQ(Read(target), "old");  // untouched until the commit
    EXPECT_EQ(folderHolds(), 2u);
  }  // abandoned
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(folderHolds(), 1u);

  FileSave save;
  ASSERT_EQ(save.Begin(target), FileSave::Start::Ready);
  ASSERT_TRUE(save.Write("new contents", 12));
  ASSERT_TRUE(save.Out().Close());  // steps that append by name close it first
  File appended = File::Open(save.TempPath(), FileMode::Append);
  ASSERT_TRUE(appended.Write("!", 1));
  ASSERT_TRUE(appended.Close());
  ASSERT_TRUE(save.Commit());
  EXPECT_EQ(Read(target), "new contents!");
  EXPECT_EQ(folderHolds(), 1u);
  EXPECT_EQ(FileSize(target), 13u);

  // A name as long as a folder allows still gets a temporary name beside it.
  std::string longName = dir + "/" + std::string(250, 'n') + ".img";
  EXPECT_EQ(SaveWholeFile(longName, "x", 1), FileSave::Start::Ready);
  EXPECT_EQ(Read(longName), "x");

  EXPECT_EQ(SaveWholeFile(dir, "x", 1), FileSave::Start::NotRegular);  // a folder is never replaced
  EXPECT_EQ(SaveWholeFile(dir + "/missing/a.img", "x", 1), FileSave::Start::CannotCreate);

  File source = File::Open(target, FileMode::Read);
  char head[3];
  EXPECT_EQ(source.Read(head, 3), 3u);  // the copy starts at the first byte wherever the file is
  EXPECT_TRUE(CopyToNewFile(source, dir + "/copy"));
  EXPECT_FALSE(CopyToNewFile(source, dir + "/copy"));  // never replaces
  EXPECT_EQ(Read(dir + "/copy"), "new contents!");
}

// The refusal before long work gives the answer the save's own first step gives later, and makes no file.
TEST_F(FileSeam, ACheckAnswersAsTheSaveWouldWithoutMakingAFile) {
  using S = FileSave::Start;
  const std::string existing = dir + "/old.img", readOnly = dir + "/readonly.img", folder = dir + "/folder.img";
  Write(existing, "old");
  Write(readOnly, "old");
  std::filesystem::permissions(std::filesystem::path(readOnly), std::filesystem::perms::owner_read);
  std::filesystem::create_directory(std::filesystem::path(folder));
  const struct {
    std::string target;
    std::optional<S> start;  // none: whatever the system says, as long as both agree
  } cases[] = {{dir + "/new.img", S::Ready},      {existing, S::Ready},
               {readOnly, S::ReadOnly},           {folder, S::NotRegular},
               {dir + "/missing/a.img", S::CannotCreate}, {existing + "/a.img", std::nullopt}};
  auto entries = [&] {
    auto list = std::filesystem::directory_iterator(std::filesystem::path(dir));
    return std::distance(begin(list), end(list));
  };
  const auto before = entries();
  for (const auto& c : cases) {
    const S checked = FileSave::Check(c.target);
    EXPECT_EQ(entries(), before) << c.target;
    if (c.start) {
      EXPECT_EQ(checked, *c.start) << c.target;
    }
    FileSave save;
    EXPECT_EQ(save.Begin(c.target), checked) << c.target;
  }
  std::filesystem::permissions(std::filesystem::path(readOnly), std::filesystem::perms::owner_all);
}

TEST_F(FileSeam, TruncatesAppendsAndMeasures) {
  std::string target = dir + "/a.img";
  Write(target, "new contents");
  EXPECT_TRUE(TruncateFile(target, 3));
  EXPECT_EQ(Read(target), "new");
  File appended = File::Open(target, FileMode::Append);
  ASSERT_TRUE(appended);
  EXPECT_TRUE(appended.Write("!", 1));
  EXPECT_TRUE(appended.Close());
  EXPECT_EQ(Read(target), "new!");

  EXPECT_FALSE(FileSize(dir).has_value());  // a folder is not a file
  EXPECT_FALSE(File::Open(dir, FileMode::Read));
  EXPECT_FALSE(File::Open(dir + "/missing", FileMode::Read));
  EXPECT_TRUE(RemoveFile(target));
  EXPECT_FALSE(FileExists(target));
  EXPECT_FALSE(OwnProgramPath().empty());
}

TEST_F(FileSeam, OneLockHolderAtATimeAndTheLockFollowsASave) {
  std::string path = dir + "/a.vfd";
  FileLock missing;
  EXPECT_EQ(missing.Acquire(path), FileLock::Result::Missing);
  Write(path, "disk 1");
  FileLock first, second;
  ASSERT_EQ(first.Acquire(path), FileLock::Result::Locked);
  EXPECT_EQ(second.Acquire(path), FileLock::Result::Busy);
  EXPECT_EQ(Read(path), "disk 1");  // readers are not hindered

  // The holder saves a new file and keeps the drive.
  FileSave save;
  ASSERT_EQ(save.Begin(path), FileSave::Start::Ready);
  ASSERT_TRUE(save.Write("disk 2", 6));
  ASSERT_TRUE(first.Commit(save));
  EXPECT_EQ(second.Acquire(path), FileLock::Result::Busy);
  first.Release();
  EXPECT_EQ(second.Acquire(path), FileLock::Result::Locked);
  EXPECT_EQ(Read(path), "disk 2");
}

// A run of new files: the last step refuses a name that another process took meanwhile, and a file that was
// there is replaced only when asked and only if it is a file.
TEST_F(FileSeam, NewFilesNeverReplaceWhatAppearedMeanwhile) {
  using P = FileSave::Placing;
  const struct {
    const char* what;
    P placing;
    bool before, meanwhile, folder, saved;  // a file has the name before Begin, between Begin and Commit
  } cases[] = {{"a free name", P::New, false, false, false, true},
               {"a name taken before", P::New, true, false, false, false},
               {"a name taken meanwhile", P::New, false, true, false, false},
               {"a file replaced when asked", P::NewOrFile, true, false, false, true},
               {"a folder, replacing asked", P::NewOrFile, false, false, true, false}};
  const std::string target = dir + "/新文件.txt";
  const std::filesystem::path targetPath(std::u8string(target.begin(), target.end()));
  DeferredSync sync;
  sync.Watch(dir);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(targetPath);
    if (c.before) Write(target, "theirs");
    if (c.folder) std::filesystem::create_directory(targetPath);
    FileSave save;
    const bool begun = save.Begin(target, c.placing) == FileSave::Start::Ready && save.Write("ours", 4);
    if (c.meanwhile) Write(target, "theirs");
    EXPECT_EQ(begun && save.Commit(), c.saved);
    if (!c.folder) {
      EXPECT_EQ(Read(target), c.saved ? "ours" : "theirs");
      EXPECT_EQ(save.Error(), c.saved ? FileError::None : FileError::Exists);
    }
    if (c.saved) sync.Add(target);
    auto entries = std::filesystem::directory_iterator(std::filesystem::path(dir));
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "a temporary file was left";
  }
  EXPECT_TRUE(sync.Finish());
}

TEST(FileNames, OnlyWindowsTakesNamesForDevices) {
#ifdef _WIN32
  constexpr bool kWindows = true;
#else
  constexpr bool kWindows = false;
#endif
  const std::pair<const char*, bool> cases[] = {{"CON", true},      {"aux.c", true},    {"com1.txt", true},
                                                {"LPT9", true},     {"nul .txt", true}, {"CONOUT$", true},
                                                {"console", false}, {"com10", false},   {"com0", false},
                                                {"readme.nul", false}};
  for (const auto& [name, device] : cases) EXPECT_EQ(DeviceName(name), device && kWindows) << name;
}

}  // namespace
