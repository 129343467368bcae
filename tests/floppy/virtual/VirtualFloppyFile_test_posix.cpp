#include <gtest/gtest.h>

#include <filesystem>

#include "base/File.h"
#include "floppy/virtual/VirtualFloppyFile.h"

namespace {

// A reader that has the old file open keeps reading the old floppy whole: the save replaced the file
// instead of writing into it.
TEST(VirtualFloppyFilePosix, ReadersOfTheOldFileNeverSeeAMix) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "diskelle-virtual-floppy-atomic";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string path = (dir / "a.vfd").string();
  VirtualFloppy old = NewVirtualFloppy({80, 9});
  ASSERT_TRUE(SaveVirtualFloppy(path, old));
  File reader = File::Open(path, FileMode::Read);
  ASSERT_TRUE(reader);

  VirtualFloppy changed = NewVirtualFloppy({80, 9});
  changed.data.assign(changed.data.size(), 0x77);
  ASSERT_TRUE(SaveVirtualFloppy(path, changed));

  std::vector<uint8_t> bytes(EncodeVirtualFloppy(old).size() + 1);
  bytes.resize(reader.Read(bytes.data(), bytes.size()));
  std::string problem;
  std::optional<VirtualFloppy> seen = DecodeVirtualFloppy(bytes, problem);
  ASSERT_TRUE(seen) << problem;
  EXPECT_EQ(*seen, old);
  EXPECT_EQ(*LoadVirtualFloppy(path).floppy, changed);
  reader.Close();
  std::filesystem::remove_all(dir);
}

}  // namespace
