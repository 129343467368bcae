// Writing images that are damaged, too large, short or full of bad-sector markers onto a floppy, as a user
// would: a bad image must be refused before the disk is touched, and whatever is written must be the image.
#include <functional>

#include "support/ProgramsFixture_posix.h"

namespace {

using DamagedImages = ProgramsTest;

constexpr char kCannotRead[] = "不能读取映像文件。\n";
constexpr char kNewChecksumAdvice[] =
    "映像文件的内容与它保存的检验和不符，所以不会被写入软盘。如果这些内容确实是你要的 (例如别的工具补上了坏扇区)，"
    "请将它转换 (/c) 为一个新的映像文件: 新文件带有新的 CRC32 检验和，可以写入软盘。";

TEST_F(DamagedImages, AreRefusedBeforeTheDiskIsTouched) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("source.vfd", {"--format", "1440", "--fill", "random"});
  ASSERT_EQ(Diskelle({"/r", "/o", Path("disk.imz")}).exitCode, 0);
  ASSERT_EQ(Diskelle({"/r", "/o", Path("disk.img")}).exitCode, 0);
  auto changeData = [](std::string& bytes) { bytes[70000] ^= 0x10; };
  auto flip16 = [](std::string& bytes) {
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 16; ++i) bytes[i] = static_cast<char>(~bytes[i]);
  };
  struct Case {
    const char* title;
    const char* source;
    std::function<void(std::string&)> damage;
    std::vector<std::string> switches;
    std::string err;
  } cases[] = {
      {"imz with 16 bytes flipped mid-stream", "disk.imz", flip16, {}, kCannotRead},
      {"the same, formatting first", "disk.imz", flip16, {"/f"}, kCannotRead},
      // The trailer stays, so the image opens with its geometry and only a read to the end finds the cut.
      {"imz cut in the middle of its stream", "disk.imz",
       [](std::string& b) { b.erase(b.size() / 2, b.size() / 2 - 1024); }, {"/f"}, kCannotRead},
      {"img changed after its trailer was written", "disk.img", changeData, {"/f"},
       std::string("CRC32 检查失败。\n") + kNewChecksumAdvice + "\n"},
      {"img of 3,000,000 bytes", "disk.img", [](std::string& b) { b.assign(3000000, 'x'); }, {"/f"},
       "映像文件大于 2 MB，它不是软盘映像文件。\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::string image = Path(std::string("damaged") + (c.source + 4));
    std::string bytes = ReadWhole(Path(c.source));
    c.damage(bytes);
    WriteWhole(image, bytes);
    std::string floppy = NewFloppy("target.vfd", {"--format", "1440", "--fill", "zero", "--force"});
    drives["DISKELLE_DRIVE_A"] = floppy;
    const std::string before = ReadWhole(floppy);
    std::vector<std::string> arguments{"/s", "/w", "/i", image};
    arguments.insert(arguments.end(), c.switches.begin(), c.switches.end());
    ProgramRun run = Diskelle(arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, c.err);
    EXPECT_TRUE(ReadWhole(floppy) == before);  // not a sector formatted or written
  }

  // The way on that the checksum refusal names: a conversion stores a new checksum, and that image writes.
  std::string changed = ReadWhole(Path("disk.img"));
  changeData(changed);
  WriteWhole(Path("changed.img"), changed);
  ASSERT_EQ(Diskelle({"/c", "/i", Path("changed.img"), "/o", Path("converted.img")}).exitCode, 0);
  ProgramRun written = Diskelle({"/s", "/w", "/i", Path("converted.img")});
  EXPECT_EQ(written.exitCode, 0) << written.err;
  EXPECT_TRUE(RawOf(drives["DISKELLE_DRIVE_A"]) == changed.substr(0, 1474560));
}

// The trailer of a short image is no disk data: the disk's tail keeps what it held.
TEST_F(DamagedImages, AShortImageWritesNoTrailerOntoTheDisk) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("source.vfd", {"--format", "1440", "--fill", "random"});
  const std::string raw = RawOf(Path("source.vfd")).substr(0, 1474560 - 4096);
  WriteWhole(Path("short.img"), raw);
  ProgramRun converted = Diskelle({"/c", "/i", Path("short.img"), "/o", Path("trailed.img"), "/d", "short one"});
  ASSERT_EQ(converted.exitCode, 0) << converted.err;
  ASSERT_EQ(ReadWhole(Path("trailed.img")).size(), raw.size() + 1024);

  for (const char* format : {"", "/f"}) {
    SCOPED_TRACE(format);
    std::string floppy = NewFloppy("target.vfd", {"--format", "1440", "--fill", "zero", "--force"});
    drives["DISKELLE_DRIVE_A"] = floppy;
    const std::string tail = RawOf(floppy).substr(raw.size());
    std::vector<std::string> arguments{"/s", "/w", "/i", Path("trailed.img")};
    if (*format) arguments.push_back(format);
    ProgramRun run = Diskelle(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::string disk = RawOf(floppy);
    EXPECT_TRUE(disk.substr(0, raw.size()) == raw);
    if (*format) {
      EXPECT_EQ(disk.substr(raw.size()), std::string(4096, '\xF6'));  // as the format left it
    } else {
      EXPECT_TRUE(disk.substr(raw.size()) == tail);
    }
  }
}

TEST_F(DamagedImages, AnEmergencyImageGetsItsBadSectorsBackOnA1440KbDisk) {
  StoreSettings("\"Emergency\"=dword:00000001\n");
  drives["DISKELLE_DRIVE_A"] = NewFloppy("bad.vfd", {"--format", "1440", "--fill", "random", "--bad", "37,100"});
  ProgramRun read = Diskelle({"/s", "/r", "/o", Path("rescued.img")});
  ASSERT_EQ(read.exitCode, 0) << read.err;

  StoreSettings("\"FormatDisk\"=dword:00000001\n\"RecreateBad\"=dword:00000001\n");
  std::string floppy = NewFloppy("good.vfd", {"--format", "1440", "--fill", "zero"});
  drives["DISKELLE_DRIVE_A"] = floppy;
  ProgramRun run = Diskelle({"/s", "/w", "/f", "/i", Path("rescued.img")});  // the command line formats with /f
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(Contains(run.out, "总共: 2 / 2880 (0.07%)\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "38 / 18944 字节 (18.5 kB)")) << run.out;
  EXPECT_TRUE(Contains(run.out, "101 / 51200 字节 (50.0 kB)")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\n     1  .C................  ..................\n"
                                "     2  ..................  ..........C.......\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\n  图例:  . 完好  C 已重建的坏扇区\n")) << run.out;

  ProgramRun shown = Vfloppy({"show", floppy});
  EXPECT_TRUE(Contains(shown.out, "not found    37,100\n")) << shown.out;
  EXPECT_TRUE(Contains(shown.out, "ID 0 slots   2\n")) << shown.out;
  std::string rescued = ReadWhole(Path("rescued.img"));
  std::string disk = RawOf(floppy);
  for (std::size_t sector : {37u, 100u}) rescued.replace(sector * 512, 512, 512, '\0');  // dumped as zeros
  EXPECT_TRUE(disk == rescued.substr(0, disk.size()));
}

}  // namespace
