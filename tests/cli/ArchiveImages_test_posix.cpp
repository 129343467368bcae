// ImageDisk and Teledisk files through the POSIX program as a user runs it: converted both ways with other
// tools' readers (libdsk's dsktrans, MAME's floptool) as the judges where they are installed, shown, checked,
// listed and written to a floppy; damaged sectors travel with their map; hostile files end with exit 2 and
// leave nothing behind.

#include <gtest/gtest.h>

#include "base/BadSectorMarker.h"
#include "base/File.h"
#include "image/forms/Td0Image.h"
#include "support/ArchiveFiles.h"
#include "support/CraftedVolume.h"
#include "support/ProgramsFixture_posix.h"

namespace {

class CliArchives : public ProgramsTest {
 protected:
  // A command of another tool, run in the test's folder; its exit code.
  int Tool(const std::string& command) {
    return RunProgram("/bin/sh", {"-c", "cd '" + dir + "' && " + command + " >/dev/null 2>&1"}).exitCode;
  }
  bool Installed(const std::string& tool) { return Tool("command -v " + tool) == 0; }

  // The raw image of a file the program wrote (its trailer, if any, after the image).
  std::string RawPart(const std::string& name, std::size_t bytes) { return ReadWhole(Path(name)).substr(0, bytes); }
};

TEST_F(CliArchives, OtherToolsReadWhatWeWriteAndWeReadWhatTheyAndTeledisksEncodingsHold) {
  const bool mame = Installed("floptool"), libdsk = Installed("dsktrans");
  if (!mame && !libdsk) GTEST_SKIP() << "neither floptool (mame-tools) nor dsktrans (libdsk-utils) is installed";
  struct Format {
    FloppyGeometry geometry;
    const char* libdskName;
    uint8_t dataRate;  // Teledisk's: 0 for 250 kbps, 2 for 500 kbps
  } formats[] = {{{40, 9}, "ibm360", 0}, {{80, 15}, "ibm1200", 2}, {{80, 18}, "ibm1440", 2}};
  for (const Format& f : formats) {
    SCOPED_TRACE(f.libdskName);
    const std::size_t bytes = static_cast<std::size_t>(f.geometry.TotalBytes());
    const std::string raw = FloppyBytes(bytes, 21);
    WriteWhole(Path("raw.img"), raw);
    const std::string format = std::string(" -format ") + f.libdskName;
    // Ours read by theirs.
    ProgramRun made = Diskelle({"/c", "/i", Path("raw.img"), "/o", Path("ours.imd"), "/d", "made here"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    if (mame) {
      EXPECT_EQ(Tool("floptool flopconvert imd pc ours.imd mame.img"), 0);
      EXPECT_TRUE(ReadWhole(Path("mame.img")) == raw);
    }
    if (libdsk) {
      EXPECT_EQ(Tool("dsktrans -itype imd -otype raw ours.imd libdsk.img" + format), 0);
      EXPECT_TRUE(ReadWhole(Path("libdsk.img")) == raw);
      // Theirs read by ours.
      ASSERT_EQ(Tool("dsktrans -itype raw -otype imd raw.img theirs.imd" + format), 0);
      ProgramRun back = Diskelle({"/c", "/i", Path("theirs.imd"), "/o", Path("back.img")});
      EXPECT_EQ(back.exitCode, 0) << back.err;
      EXPECT_TRUE(RawPart("back.img", bytes) == raw);
    }
    // Teledisk files crafted here, read alike by all three: every encoding on the largest disk.
    const bool every = f.geometry.sectorsPerTrack == 18;
    for (int encoding : every ? std::vector<int>{0, 1, 2} : std::vector<int>{2}) {
      for (bool advanced : every ? std::vector<bool>{false, true} : std::vector<bool>{true}) {
        SCOPED_TRACE(std::to_string(encoding) + (advanced ? " advanced" : " normal"));
        WriteWhole(Path("disk.td0"), CraftTd0(TracksOf(raw, f.geometry),
                                              {.advanced = advanced, .encoding = encoding, .dataRate = f.dataRate}));
        ProgramRun converted = Diskelle({"/c", "/i", Path("disk.td0"), "/o", Path("td0.img")});
        EXPECT_EQ(converted.exitCode, 0) << converted.err;
        EXPECT_TRUE(RawPart("td0.img", bytes) == raw);
        if (mame) {
          EXPECT_EQ(Tool("rm -f m.img && timeout 60 floptool flopconvert td0 pc disk.td0 m.img"), 0);
          EXPECT_TRUE(ReadWhole(Path("m.img")) == raw);
        }
        if (libdsk) {
          EXPECT_EQ(Tool("rm -f l.img && dsktrans -itype tele -otype raw disk.td0 l.img" + format), 0);
          EXPECT_TRUE(ReadWhole(Path("l.img")) == raw);
        }
      }
    }
    Tool("rm -f *.img *.imd *.td0 *.map");
  }
}

// A Teledisk archive of a FAT disk with a sector read with a CRC error: shown with its format and comment,
// checked, listed with the damaged file named, converted with its map, and written as ImageDisk, which keeps
// the sector as unavailable.
TEST_F(CliArchives, DamagedSectorsOfAnArchiveTravelWithTheirMap) {
  CraftedVolume volume;
  CraftedVolume::Folder root = CraftedVolume::Root();
  volume.AddFile(root, "README  TXT", std::string(3000, 'r'));
  volume.AddFile(root, "OTHER   TXT", std::string(700, 'o'));
  const std::string raw = volume.Image();
  std::vector<CraftedTrack> tracks = TracksOf(raw, {80, 18});
  const int64_t hit = CraftedVolume::SectorOf(2) + 1;  // README.TXT's second sector
  tracks[static_cast<std::size_t>(hit / 18)].sectors[static_cast<std::size_t>(hit % 18)].kind = CraftedSector::Kind::DataError;
  WriteWhole(Path("disk.td0"), CraftTd0(tracks, {.advanced = true, .comment = "Backup\nof 1991"}));

  ProgramRun shown = Diskelle({Path("disk.td0")});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_TRUE(Contains(shown.out, "格式: Teledisk 映像文件 (*.td0)\n")) << shown.out;
  EXPECT_TRUE(Contains(shown.out, "描述: Backup\\nof 1991\n")) << shown.out;
  EXPECT_TRUE(Contains(shown.out, "物理参数: 18 扇区/磁轨，80 个磁轨 (1440 kB)\n")) << shown.out;

  ProgramRun checked = Diskelle({"/t", "/i", Path("disk.td0")});
  EXPECT_EQ(checked.exitCode, 1);
  EXPECT_TRUE(Contains(checked.err, "其中有 1 个扇区没有可用的数据")) << checked.err;

  for (const char* name : {"disk.td0", "again.imd"}) {
    if (std::string(name) == "again.imd") {
      ProgramRun rewritten = Diskelle({"/c", "/i", Path("disk.img"), "/o", Path(name)});
      EXPECT_EQ(rewritten.exitCode, 1) << rewritten.err;
      EXPECT_FALSE(FileExists(Path("again.imd.map")));
    }
    ProgramRun listed = Diskelle({"--files", Path(name)});
    EXPECT_EQ(listed.exitCode, 1) << name;
    EXPECT_TRUE(Contains(listed.out, "README.TXT\t3000\t")) << listed.out;
    EXPECT_FALSE(Contains(listed.out.substr(listed.out.find("README.TXT")), "README.TXT\t3000\t1995-06-17 13:45:30\tok"));
    EXPECT_TRUE(Contains(listed.out, "OTHER.TXT\t700\t1995-06-17 13:45:30\tok")) << listed.out;
    if (std::string(name) == "disk.td0") {
      ProgramRun converted = Diskelle({"/c", "/i", Path(name), "/o", Path("disk.img")});
      EXPECT_EQ(converted.exitCode, 1) << converted.err;
      EXPECT_TRUE(Contains(converted.err, "其中有 1 个坏扇区")) << converted.err;
      const std::string image = ReadWhole(Path("disk.img"));
      EXPECT_TRUE(IsBadSectorMarker(reinterpret_cast<const uint8_t*>(image.data()) + hit * kSectorBytes));
      EXPECT_TRUE(Contains(ReadWhole(Path("disk.img.map")), "-"));
    }
  }
  // The bad sector stays bad on the way back.
  ProgramRun back = Diskelle({"/c", "/i", Path("again.imd"), "/o", Path("back.img")});
  EXPECT_EQ(back.exitCode, 1);
  EXPECT_EQ(ReadWhole(Path("back.img.map")), ReadWhole(Path("disk.img.map")));
}

TEST_F(CliArchives, ArchivesAndRawAliasesWriteToAFloppyAndReadFromIt) {
  const std::string raw = FloppyBytes(737280, 8);
  WriteWhole(Path("disk.imd"), CraftImd(TracksOf(raw, {80, 9}, {1, 3, 5, 7, 9, 2, 4, 6, 8})));
  WriteWhole(Path("disk.td0"), CraftTd0(TracksOf(raw, {80, 9}), {.advanced = true, .dataRate = 0}));
  WriteWhole(Path("disk.ima"), raw);
  for (const char* name : {"disk.imd", "disk.td0", "disk.ima"}) {
    SCOPED_TRACE(name);
    drives["DISKELLE_DRIVE_A"] = NewFloppy(std::string(name) + ".vfd", {"--format", "720", "--fill", "zero"});
    ProgramRun written = Diskelle({"/s", "/f", "/i", Path(name), "/w"});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_TRUE(RawOf(Path(std::string(name) + ".vfd")) == raw);
  }
  ProgramRun read = Diskelle({"/s", "/r", "/o", Path("read.flp")});
  EXPECT_EQ(read.exitCode, 0) << read.err;
  EXPECT_TRUE(RawPart("read.flp", raw.size()) == raw);
  ProgramRun asImd = Diskelle({"/s", "/r", "/o", Path("read.imd"), "/d", "from the drive"});
  EXPECT_EQ(asImd.exitCode, 0) << asImd.err;
  ProgramRun shown = Diskelle({Path("read.imd")});
  EXPECT_TRUE(Contains(shown.out, "描述: from the drive\n")) << shown.out;
  ProgramRun back = Diskelle({"/c", "/i", Path("read.imd"), "/o", Path("back.img")});
  EXPECT_TRUE(RawPart("back.img", raw.size()) == raw);
  // Teledisk is only read: refused as a target before anything is done, naming the forms that are written.
  for (std::vector<std::string> arguments : {std::vector<std::string>{"/c", "/i", Path("disk.imd"), "/o", Path("out.td0")},
                                             {"/s", "/r", "/o", Path("out.td0")}}) {
    ProgramRun refused = Diskelle(arguments);
    EXPECT_EQ(refused.exitCode, 2) << arguments[0];
    EXPECT_TRUE(Contains(refused.err, "只支持扩展名为 IMZ、IMG、IMA、FLP、EXE 和 IMD 的文件。")) << refused.err;
    EXPECT_FALSE(FileExists(Path("out.td0")));
  }
}

TEST_F(CliArchives, HostileFilesEndWithExitTwoAndLeaveNothingBehind) {
  const std::string raw = FloppyBytes(1474560, 5);
  const std::string imd = CraftImd(TracksOf(raw, {80, 18}));
  const std::string td0 = CraftTd0(TracksOf(raw, {80, 18}), {.advanced = true});
  const std::string bomb = td0.substr(0, kTd0HeaderBytes) + LzhufCompress(std::string(9 << 20, 'z'));
  struct Case {
    const char* name;
    std::string file;
    const char* says;
  } cases[] = {
      {"cut.imd", imd.substr(0, 700000), "文件被截断"},
      {"cut.td0", td0.substr(0, 200000), "文件被截断"},
      {"bomb.td0", bomb, "数据多于任何软盘"},
      {"crc.td0", std::string(td0).replace(11, 1, "\x5A"), "文件头的 CRC 不符"},
      {"fm.imd", CraftImd(TracksOf(raw, {80, 18}), {.mode = 0}), "18 个 512 字节的扇区，FM"},
  };
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "1440", "--fill", "zero"});
  const std::string blank = RawOf(Path("a.vfd"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteWhole(Path(c.name), c.file);
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{"/c", "/i", Path(c.name), "/o", Path("out.img")}, {"/s", "/i", Path(c.name), "/w"},
          {"/t", "/i", Path(c.name)}, {"--files", Path(c.name)}}) {
      ProgramRun run = Diskelle(arguments);
      EXPECT_EQ(run.exitCode, 2) << arguments[0];
      EXPECT_TRUE(Contains(run.err, c.says)) << run.err;
    }
    EXPECT_FALSE(FileExists(Path("out.img")));
    EXPECT_TRUE(UnfinishedSaves().empty());
  }
  EXPECT_TRUE(RawOf(Path("a.vfd")) == blank);
}

}  // namespace
