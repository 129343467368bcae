// A zip .imz that another tool made, through the POSIX program as a user runs it: shown, checked, converted
// and written to a virtual floppy; damaged, it is refused as unreadable and nothing is written.

#include <gtest/gtest.h>

#include "base/File.h"
#include "support/ImageTestSupport.h"
#include "support/ProgramsFixture_posix.h"
#include "support/ZipTool.h"

namespace {

using CliZip = ProgramsTest;

TEST_F(CliZip, ZipImzFilesAreReadLikeTheirImageAndDamagedOnesRefused) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  ASSERT_EQ(Diskelle({"/r", "/o", Path("disk.img"), "/d", "zipped"}).exitCode, 0);
  std::string zip = Path("other.imz");
  ASSERT_TRUE(RunZipTool({"-9", "-j"}, zip, {Path("disk.img")}));

  ProgramRun shown = Diskelle({zip});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_TRUE(Contains(shown.out, "描述: zipped\n")) << shown.out;
  ProgramRun checked = Diskelle({"/t", "/i", zip});
  EXPECT_EQ(checked.out, "CRC32 检查成功。\n");
  ProgramRun converted = Diskelle({"/c", "/i", zip, "/o", Path("back.img")});
  EXPECT_EQ(converted.exitCode, 0) << converted.err;
  EXPECT_TRUE(ReadWhole(Path("back.img")) == ReadWhole(Path("disk.img")));

  drives["DISKELLE_DRIVE_A"] = NewFloppy("b.vfd", {"--format", "720", "--fill", "zero"});
  ProgramRun written = Diskelle({"/s", "/i", zip, "/w"});
  EXPECT_EQ(written.exitCode, 0) << written.err;
  EXPECT_TRUE(RawOf(Path("b.vfd")) == RawOf(Path("a.vfd")));

  std::string bytes = ReadWhole(zip);
  bytes[bytes.size() / 2] ^= 0x10;
  WriteWhole(zip, bytes);
  drives["DISKELLE_DRIVE_A"] = NewFloppy("c.vfd", {"--format", "720", "--fill", "zero"});
  std::string blank = RawOf(Path("c.vfd"));
  const std::vector<std::string> refusedRuns[] = {
      {"/s", "/i", zip, "/w"}, {"/t", "/i", zip}, {"/c", "/i", zip, "/o", Path("x.img")}};
  for (const std::vector<std::string>& arguments : refusedRuns) {
    ProgramRun refused = Diskelle(arguments);
    EXPECT_NE(refused.exitCode, 0) << arguments[1];
    EXPECT_EQ(refused.err, "不能读取映像文件。\n") << arguments[1];
  }
  EXPECT_TRUE(RawOf(Path("c.vfd")) == blank);
  EXPECT_FALSE(FileExists(Path("x.img")));
}

// A raw image zipped by another tool has no checksum of ours; the archive's own CRC-32 is what /t reports.
TEST_F(CliZip, ARawImageInAZipChecksByTheArchivesCrc) {
  WriteWhole(Path("raw.img"), RawOf(NewFloppy("a.vfd", {"--format", "720", "--fill", "random"})));
  ASSERT_TRUE(RunZipTool({"-9", "-j"}, Path("raw.imz"), {Path("raw.img")}));
  ProgramRun checked = Diskelle({"/t", "/i", Path("raw.imz")});
  EXPECT_EQ(checked.exitCode, 0) << checked.err;
  EXPECT_EQ(checked.out, "zip 压缩文件中 CRC32 检查成功: 映像与压缩时相同 (该映像文件没有自己的 CRC32 检验和文件头)。\n");
  ProgramRun plain = Diskelle({"/t", "/i", Path("raw.img")});  // nothing to check against: as before
  EXPECT_EQ(plain.exitCode, 1);
  EXPECT_EQ(plain.err, "文件没有包含任何 CRC32 检验和文件头。\n");
}

}  // namespace
