#include "base/File.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST_F(FileSeam, ReplacesTruncatesAndMeasures) {
  std::string target = dir + "/软盘 image.img";  // non-ASCII paths reach the system intact
  std::string temp = TempPathBeside(target);
  EXPECT_EQ(temp.rfind(target, 0), 0u);
  EXPECT_FALSE(temp.ends_with(".img"));
  EXPECT_NE(TempPathBeside(target), temp);

  Write(target, "old");
  Write(temp, "new contents");
  EXPECT_TRUE(RenameOver(temp, target));
  EXPECT_FALSE(FileExists(temp));
  EXPECT_EQ(Read(target), "new contents");
  EXPECT_EQ(FileSize(target), 12u);

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

}  // namespace
