// The POSIX front end end to end: the real `diskelle` and `vfloppy` programs run as a user runs them, with
// virtual floppies in the drives and a private settings file.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/File.h"
#include "base/Version.h"
#include "image/forms/SelfExtractor.h"
#include "image/forms/Signatures.h"
#include "support/ImageTestSupport.h"
#include "support/ProgramsFixture_posix.h"

namespace {

using Cli = ProgramsTest;

// After the path of a self-extractor that is not there: where the program looks for one, how to get one.
const std::string kStubLookup =
    "，不能创建自解压映像文件。\n自解压程序是 Windows 构建的 diskelle-sfx.exe，依次取自 $DISKELLE_SFX 所指定的文件、"
    "程序旁边的 diskelle-sfx.exe 和程序目录的 ../share/diskelle/diskelle-sfx.exe。\n请安装 diskelle 软件包，或在配置时用 "
    "-DDISKELLE_SFX_FILE=<diskelle-sfx.exe 的路径> 构建本程序。\n";

TEST_F(Cli, HelpAndUnusableCommandLines) {
  env["LC_ALL"] = "zh_CN.UTF-8";
  ProgramRun none = Diskelle({});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out.rfind("diskelle /i <输入文件> | /o <输出文件> [参数]\n", 0), 0u);
  EXPECT_TRUE(Contains(none.out, "\n环境变量:\n  $DISKELLE_DRIVE_A, $DISKELLE_DRIVE_B  ")) << none.out;
  EXPECT_TRUE(Contains(none.out, "\n  $DISKELLE_CODEPAGE  ")) << none.out;
  EXPECT_TRUE(Contains(none.out, "\n设置和文件关联:\n  --settings  ")) << none.out;
  EXPECT_TRUE(Contains(none.out, "\n退出状态:\n  0  ")) << none.out;
  for (const char* asked : {"--help", "-h", "/?"}) {
    ProgramRun help = Diskelle({asked});
    EXPECT_EQ(help.exitCode, 0) << asked;
    EXPECT_EQ(help.out, none.out) << asked;
    EXPECT_EQ(help.err, "") << asked;
  }
  EXPECT_TRUE(Contains(none.out, "\n  --version, -V  ")) << none.out;
  for (const char* asked : {"--version", "-V"}) {
    for (const ProgramRun& run : {Diskelle({asked}), Vfloppy({asked})}) {
      EXPECT_EQ(run.exitCode, 0) << asked;
      EXPECT_EQ(run.out, std::string("Diskelle ") + kProgramVersion + "\n") << asked;
      EXPECT_EQ(run.err, "") << asked;
    }
  }

  struct Case {
    std::vector<std::string> args;
    std::string errorText;  // before the help, if any
  } cases[] = {
      {{"/i"}, ""},
      {{"/i", "/w"}, ""},
      {{Path("missing.img")}, "不能打开 " + Path("missing.img") + "。\n"},
      {{"/t", "/i", Path("notes.txt")}, ""},
      {{"/c", "/i", Path("notes.txt")}, ""},
      {{"/o", Path("out.img"), "/c"}, ""},
  };
  WriteWhole(Path("notes.txt"), "not an image");
  for (const Case& c : cases) {
    ProgramRun run = Diskelle(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.args[0];
    if (c.args[0] == "/t") {
      EXPECT_EQ(run.err, "只支持扩展名为 IMZ、IMG、IMA、FLP、EXE、IMD、TD0、SCP 和 RAW 的文件。\n");
    } else {
      EXPECT_EQ(run.err.rfind(c.errorText + "diskelle /i", 0), 0u) << run.err;
    }
  }
}

// Each program's help speaks the locale's language, chosen as man(1) chooses the manual page; the messages
// stay Chinese.
TEST_F(Cli, HelpFollowsTheLocaleInBothPrograms) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    bool chinese;
  } cases[] = {
      {"", "", "zh_CN.UTF-8", true},
      {"", "zh_TW.UTF-8", "en_US.UTF-8", true},
      {"C", "zh_CN.UTF-8", "zh_CN.UTF-8", false},
      {"", "", "en_GB.UTF-8", false},
      {"", "", "", false},
  };
  std::size_t helpLines = 0;
  for (const Case& c : cases) {
    env["LC_ALL"] = c.lcAll;
    env["LC_MESSAGES"] = c.lcMessages;
    env["LANG"] = c.lang;
    ProgramRun diskelle = Diskelle({"--help"});
    ProgramRun vfloppy = Vfloppy({"--help"});
    ProgramRun vfloppyUnusable = Vfloppy({"shows"});
    const std::string diskelleHead = c.chinese ? "diskelle /i <输入文件> | /o <输出文件> [参数]\n"
                                               : "diskelle /i <input> | /o <output> [switches]\n";
    const std::string vfloppyHead = c.chinese ? "用法:\n  vfloppy create <文件>" : "usage:\n  vfloppy create FILE";
    EXPECT_EQ(diskelle.exitCode, 0);
    EXPECT_EQ(diskelle.out.rfind(diskelleHead, 0), 0u) << c.lang << "\n" << diskelle.out;
    // Both languages say the same things, line for line.
    std::size_t lines = static_cast<std::size_t>(std::count(diskelle.out.begin(), diskelle.out.end(), '\n'));
    EXPECT_EQ(lines, helpLines == 0 ? lines : helpLines) << c.lang;
    helpLines = lines;
    EXPECT_EQ(vfloppy.exitCode, 0);
    EXPECT_EQ(vfloppy.out.rfind(vfloppyHead, 0), 0u) << c.lang << "\n" << vfloppy.out;
    EXPECT_EQ(vfloppyUnusable.exitCode, 2);
    EXPECT_EQ(vfloppyUnusable.err, vfloppy.out);
    EXPECT_EQ(Diskelle({Path("missing.img")}).err.rfind("不能打开 " + Path("missing.img") + "。\n", 0), 0u) << c.lang;
  }
}

TEST_F(Cli, LongOptionsInAnyCaseAndResumeOnlyWithAReadOrConversion) {
  std::string floppy = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  drives["DISKELLE_DRIVE_A"] = floppy;
  std::string image = Path("disk.img");
  ASSERT_EQ(Diskelle({"/r", "/o", image}).exitCode, 0);
  const std::string settings = Diskelle({"--settings"}).out;
  const std::string help = Diskelle({"--help"}).out;
  const std::string disk = ReadWhole(floppy);
  const std::string resumeRefused =
      "--resume 只能与 /r (紧急读取到已有的映像文件) 或 /c (补入已有映像文件的坏扇区) 一起使用。\n";
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out, err;
  } cases[] = {
      {{"--SETTINGS"}, 0, settings, ""},
      {{"--Help"}, 0, help, ""},
      {{"--resume"}, 2, "", resumeRefused},
      {{"--resume", "/s", "/w", "/i", image}, 2, "", resumeRefused},
      {{"/t", "/i", image, "--RESUME"}, 2, "", resumeRefused},
      {{"--resume", "--settings"}, 2, "", resumeRefused},
  };
  for (const Case& c : cases) {
    ProgramRun run = Diskelle(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[0] << " " << c.args.size();
    EXPECT_EQ(run.out, c.out) << c.args[0] << " " << c.args.size();
    EXPECT_EQ(run.err, c.err) << c.args[0] << " " << c.args.size();
  }
  EXPECT_TRUE(ReadWhole(floppy) == disk);
  // Options that others add follow the same rule.
  ProgramRun files = Diskelle({"--files", image});
  ProgramRun filesUpper = Diskelle({"--FILES", image});
  EXPECT_EQ(filesUpper.exitCode, files.exitCode);
  EXPECT_EQ(filesUpper.out + filesUpper.err, files.out + files.err);
  EXPECT_TRUE(Contains(filesUpper.err, "FAT")) << filesUpper.err;  // the listing's own refusal, not the usage
  // A description that looks like an option is taken as given.
  ASSERT_EQ(Diskelle({"/c", "/i", image, "/o", Path("kept.img"), "/d", "--KEPT"}).exitCode, 0);
  EXPECT_TRUE(Contains(Diskelle({Path("kept.img")}).out, "--KEPT"));
}

TEST_F(Cli, ResultsThatNeverReachStandardOutputFailTheRun) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "zero"});
  std::string image = Path("disk.img");
  ASSERT_EQ(Diskelle({"/r", "/o", image}).exitCode, 0);
  ProgramOptions full;
  full.stdoutPath = "/dev/full";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{}, {image}, {"/t", "/i", image}}) {
    ProgramRun run = Diskelle(args, full);
    EXPECT_EQ(run.exitCode, 1) << args.size();
    EXPECT_EQ(run.err, "不能写入到标准输出。\n") << args.size();
  }
}

TEST_F(Cli, FilesThatAreNoImagesSaySoAndNothingGoesOnWithAMadeUpGeometry) {
  WriteWhole(Path("empty.img"), "");
  WriteWhole(Path("short.imz"), std::string(1000, 'x'));
  WriteWhole(Path("cut.imz"), Bzip2Compress(FloppyBytes(737280)).substr(0, 4000));  // no trailer
  struct Case {
    std::vector<std::string> args;
    std::string message;
    bool help;
  } cases[] = {
      {{"/t", "/i", Path("empty.img")}, Path("empty.img") + " 不是映像文件。\n", false},
      {{"/t", "/i", Path("short.imz")}, Path("short.imz") + " 不是映像文件。\n", false},
      {{"/t", "/i", Path("cut.imz")}, "不能读取映像文件。\n", false},
      {{"/c", "/i", Path("cut.imz"), "/o", Path("out.img")}, "不能读取映像文件。\n", false},
      {{Path("cut.imz")}, "不能读取映像文件。\n", true},
  };
  for (const Case& c : cases) {
    ProgramRun run = Diskelle(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.args.back();
    ASSERT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
    std::string after = run.err.substr(c.message.size());
    EXPECT_EQ(after.empty() ? "" : after.substr(0, 11), c.help ? "diskelle /i" : "") << run.err;
    EXPECT_EQ(run.out, "") << c.args.back();
  }
  EXPECT_FALSE(FileExists(Path("out.img")));
}

TEST_F(Cli, OutputFoldersThatCannotBeWrittenAreRefusedBeforeAnyWork) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "zero"});
  std::string image = Path("disk.img");
  ASSERT_EQ(Diskelle({"/r", "/o", image}).exitCode, 0);
  ::chmod(dir.c_str(), 0755);
  std::filesystem::create_directory(Path("locked"));
  ::chmod(Path("locked").c_str(), 0555);
  bool root = ::geteuid() == 0;
  ProgramOptions locked;  // root writes anywhere: another user meets the lock
  locked.user = root ? UnprivilegedUser() : std::nullopt;
  struct Case {
    std::vector<std::string> args;
    std::string target;
    bool lockedFolder;
  } cases[] = {
      {{"/r", "/o", Path("gone/x.img")}, Path("gone/x.img"), false},
      {{"/c", "/i", image, "/o", Path("gone/x.imz")}, Path("gone/x.imz"), false},
      {{"/r", "/o", Path("locked/x.img")}, Path("locked/x.img"), true},
  };
  std::vector<std::string> before = FileNames();
  for (const Case& c : cases) {
    if (c.lockedFolder && root && !locked.user) continue;
    ProgramRun run = Diskelle(c.args, c.lockedFolder ? locked : ProgramOptions{});
    EXPECT_EQ(run.exitCode, 2) << c.target;
    EXPECT_EQ(run.err, "不能创建 " + c.target + "。\n") << c.target;
  }
  EXPECT_EQ(FileNames(), before);
  EXPECT_TRUE(std::filesystem::is_empty(Path("locked")));
}

TEST_F(Cli, TextsFromFilesAndArgumentsReachTheTerminalEscaped) {
  std::string image = Path("esc\x1b[2J.img");
  WriteWhole(image, ImageFileBytes(&kRawForm, FloppyBytes(737280),
                                   Block("[FileVersion 003] [Description \x1b]0;title\x07 two\nlines\x01] "
                                         "[SectorsPerTrack 9] [Tracks 80]")));
  ProgramRun shown = Diskelle({image});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_TRUE(Contains(shown.out, "文件名: " + Path("esc\\x1b[2J.img") + "\n")) << shown.out;
  EXPECT_TRUE(Contains(shown.out, "\n描述: \\x1b]0;title\\x07 two\\nlines\n")) << shown.out;

  ProgramRun missing = Diskelle({"/t", "/i", Path("gone\r\n\x9b.img")});
  EXPECT_EQ(missing.err, "不能打开 " + Path("gone\\r\\n\\x9b.img") + "。\n");
}

TEST_F(Cli, ReadsChecksConvertsAndWritesBack) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "zero"});
  std::string image = Path("disk.imz");
  ProgramRun read = Diskelle({"/r", "/o", image, "/d", "归档 disk 1"});
  ASSERT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.err, "");

  ProgramRun shown = Diskelle({image});
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_TRUE(Contains(shown.out, "描述: 归档 disk 1\n")) << shown.out;
  EXPECT_TRUE(Contains(shown.out, "物理参数: 9 扇区/磁轨，80 个磁轨 (720 kB)\n")) << shown.out;

  ProgramRun checked = Diskelle({"/t", "/i", image});
  EXPECT_EQ(checked.exitCode, 0);
  EXPECT_EQ(checked.out, "CRC32 检查成功。\n");

  std::string plain = Path("disk.img");
  ProgramRun converted = Diskelle({"/c", "/i", image, "/o", plain, "/d", "converted"});
  ASSERT_EQ(converted.exitCode, 0) << converted.err;
  EXPECT_TRUE(Contains(Diskelle({plain}).out, "描述: converted\n"));

  drives["DISKELLE_DRIVE_A"] = NewFloppy("b.vfd", {"--format", "720", "--fill", "random"});
  ProgramRun declined = Diskelle({"/i", plain, "/w"});  // no terminal: the overwrite question is answered No
  EXPECT_EQ(declined.exitCode, 1);
  EXPECT_TRUE(Contains(declined.err, "您肯定想要这样做吗? [是(Y)/否(N)] 否(N)"));
  EXPECT_NE(RawOf(Path("b.vfd")), RawOf(Path("a.vfd")));

  ProgramRun written = Diskelle({"/s", "/i", plain, "/w"});
  EXPECT_EQ(written.exitCode, 0) << written.err;
  EXPECT_EQ(RawOf(Path("b.vfd")), RawOf(Path("a.vfd")));
}

TEST_F(Cli, DamagedImagesAndDrivesFailWithTheirMessages) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "1440", "--fill", "zero"});
  std::string image = Path("disk.img");
  ASSERT_EQ(Diskelle({"/r", "/o", image}).exitCode, 0);
  std::string bytes = ReadWhole(image);
  bytes[4000] ^= 0x5A;
  WriteWhole(image, bytes);
  ProgramRun bad = Diskelle({"/t", "/i", image});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err, "CRC32 检查失败。\n");

  drives.clear();
  ProgramRun noDrive = Diskelle({"/r", "/o", Path("x.img")});
  EXPECT_EQ(noDrive.exitCode, 1);
  // No /dev/fd0 on the test machines: the message says how to use a virtual floppy.
  EXPECT_EQ(noDrive.err, "没有软盘驱动器 A: (/dev/fd0)。\n要使用虚拟软盘，请用 vfloppy 创建一个虚拟软盘文件，并用 "
                         "$DISKELLE_DRIVE_A (或 $DISKELLE_DRIVE_B) 指定它，\n或用 diskelle --set DriveANode=<文件> (或 DriveBNode) 长期保存。\n");
  EXPECT_FALSE(FileExists(Path("x.img")));
  ProgramRun list = Diskelle({"--drives"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out, "没有找到软盘驱动器。\n要使用虚拟软盘，请用 vfloppy 创建一个虚拟软盘文件，并用 "
                      "$DISKELLE_DRIVE_A (或 $DISKELLE_DRIVE_B) 指定它，\n或用 diskelle --set DriveANode=<文件> (或 DriveBNode) 长期保存。\n");

  bytes[4000] ^= 0x5A;  // intact again: a damaged image is refused before the drive is asked
  WriteWhole(image, bytes);
  drives["DISKELLE_DRIVE_B"] = NewFloppy("p.vfd", {"--format", "1440", "--fill", "zero", "--write-protect"});
  ProgramRun protectedDisk = Diskelle({"/b", "/s", "/i", image, "/w"});
  EXPECT_EQ(protectedDisk.exitCode, 1);
  EXPECT_EQ(protectedDisk.err, "软盘有防写入保护。\n");

  // A copy of the program alone in its folder: a build tree may have a self-extractor beside the program.
  std::filesystem::create_directories(Path("lone"));
  std::filesystem::copy_file(DISKELLE_CLI, Path("lone/diskelle"));
  ProgramRun noStub = Exec(Path("lone/diskelle"), {"/c", "/i", image, "/o", Path("self.exe")});
  EXPECT_EQ(noStub.exitCode, 1);
  EXPECT_EQ(noStub.err, "没有找到自解压程序 " + Path("share/diskelle/diskelle-sfx.exe") + kStubLookup);
  EXPECT_FALSE(FileExists(Path("self.exe")));
}

// The POSIX program cannot carry the Windows self-extractor: $DISKELLE_SFX names the stub file it builds .exe
// images from, byte for byte at their head.
TEST_F(Cli, SelfExtractingImagesTakeTheStubThatTheEnvironmentNames) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "1440", "--fill", "zero"});
  std::string image = Path("disk.img");
  ASSERT_EQ(Diskelle({"/r", "/o", image}).exitCode, 0);
  std::string stub = TestStub();
  WriteWhole(Path("diskelle-sfx.exe"), stub);
  env["DISKELLE_SFX"] = Path("diskelle-sfx.exe");
  ProgramRun built = Diskelle({"/c", "/i", image, "/o", Path("self.exe")});
  ASSERT_EQ(built.exitCode, 0) << built.err;
  std::string exe = ReadWhole(Path("self.exe"));
  EXPECT_EQ(exe.compare(0, stub.size(), stub), 0) << "the stub heads the image";
  EXPECT_EQ(FindImageStreamIn(reinterpret_cast<const uint8_t*>(exe.data()), exe.size()), static_cast<int64_t>(stub.size()));
  EXPECT_EQ(Diskelle({"/t", "/i", Path("self.exe")}).exitCode, 0);

  env["DISKELLE_SFX"] = Path("missing.exe");
  ProgramRun missing = Diskelle({"/c", "/i", image, "/o", Path("other.exe")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "没有找到自解压程序 " + Path("missing.exe") + kStubLookup);
  EXPECT_FALSE(FileExists(Path("other.exe")));

  // A large file named by mistake is not read to its end: reading a TiB (sparse) would take far longer than the
  // runner's watchdog allows (2 GiB took most of a minute).
  WriteWhole(Path("large.exe"), "");
  std::filesystem::resize_file(std::filesystem::u8path(Path("large.exe")), uint64_t{1} << 40);
  env["DISKELLE_SFX"] = Path("large.exe");
  ProgramRun large = Diskelle({"/c", "/i", image, "/o", Path("other.exe")});
  EXPECT_EQ(large.exitCode, 1);
  EXPECT_EQ(large.err, Path("large.exe") + " 不是自解压程序 (diskelle-sfx.exe)，不能创建自解压映像文件。\n"
                                           "请用 $DISKELLE_SFX 指定自解压程序文件。\n");
  EXPECT_FALSE(FileExists(Path("other.exe")));
}

// Only a command that changes a setting makes the settings file, its lock and its folder: everything else
// leaves a fresh home as it was, and a missing file reads as the defaults.
TEST_F(Cli, OnlyChangingASettingWritesTheSettingsFile) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "zero"});
  const std::string home = Path("home");
  std::filesystem::create_directory(home);
  env["DISKELLE_REGISTRY"] = "";
  env["XDG_CONFIG_HOME"] = "";
  env["HOME"] = home;
  const std::string image = Path("disk.img");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {
      {{"/r", "/o", image}, 0},
      {{"--version"}, 0},
      {{"--help"}, 0},
      {{"--settings"}, 0},
      {{"--files", image}, 0},
      {{image}, 0},
      {{"/t", "/i", image}, 0},
      {{"/c", "/i", image, "/o", Path("disk.imz")}, 0},
      {{"--set", "NoSuchSetting=1"}, 2},
  };
  for (const Case& c : cases) {
    ProgramRun run = Diskelle(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[0] << ": " << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(home)) << c.args[0];
  }
  ProgramRun set = Diskelle({"--set", "Emergency=1"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_TRUE(FileExists(home + "/.config/diskelle/registry.reg"));
  EXPECT_TRUE(Contains(Diskelle({"--settings"}).out, "\nEmergency = 1 (默认: 0)\n"));
}

// Installed, the program finds the stub in share/diskelle beside its bin folder; a stub beside the program (a
// build tree) comes first, and $DISKELLE_SFX before both.
TEST_F(Cli, InstalledProgramTakesTheStubFromItsShareFolder) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "zero"});
  std::string image = Path("disk.img");
  ASSERT_EQ(Diskelle({"/r", "/o", image}).exitCode, 0);
  std::filesystem::create_directories(Path("usr/bin"));
  std::filesystem::create_directories(Path("usr/share/diskelle"));
  std::string program = Path("usr/bin/diskelle");
  std::filesystem::copy_file(DISKELLE_CLI, program);
  const std::string stub = TestStub();
  struct Case {
    const char* stubAt;  // written there, with a mark of its own after the stub
    bool named;          // $DISKELLE_SFX names it
  } cases[] = {{"usr/share/diskelle/diskelle-sfx.exe", false}, {"usr/bin/diskelle-sfx.exe", false},
               {"named-sfx.exe", true}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string mark = "stub-" + std::to_string(i);
    WriteWhole(Path(cases[i].stubAt), stub + mark);
    if (cases[i].named) env["DISKELLE_SFX"] = Path(cases[i].stubAt);
    std::string exe = Path("self" + std::to_string(i) + ".exe");
    ProgramRun built = Exec(program, {"/c", "/i", image, "/o", exe});
    ASSERT_EQ(built.exitCode, 0) << cases[i].stubAt << ": " << built.err;
    EXPECT_EQ(ReadWhole(exe).compare(0, stub.size() + mark.size(), stub + mark), 0) << cases[i].stubAt;
  }
}

// The program searches its own file for the self-extractor stub: it must not find its own constants.
TEST_F(Cli, ProgramFileCarriesNeitherSignature) {
  std::string program = ReadWhole(DISKELLE_CLI);
  ASSERT_GT(program.size(), 100000u);
  EXPECT_EQ(program.find(StubSignature(), 1024), std::string::npos);
  EXPECT_EQ(program.find(Bzip2Signature()), std::string::npos);
}

TEST_F(Cli, EmergencyReadPrintsTheReport) {
  StoreSettings("\"Emergency\"=dword:00000001\n\"Suppress\"=dword:00000001\n");
  drives["DISKELLE_DRIVE_A"] = NewFloppy("bad.vfd", {"--format", "1440", "--fill", "zero", "--bad", "37"});
  ProgramRun run = Diskelle({"/r", "/o", Path("rescued.img")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "坏扇区报告\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "总共: 1 / 2880 (0.03%)\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "分配: 0 高 (0%) - 1 低 (100%)\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "38 / 18944 字节 (18.5 kB)")) << run.out;
  // The map, plain: standard output is no terminal here.
  EXPECT_TRUE(Contains(run.out, "\n  扇区分布图\n  磁轨  磁头 0              磁头 1\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\n     0  ..................  ..................\n"
                                "     1  .X................  ..................\n"
                                "     2  ..................  ..................\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\n    79  ..................  ..................\n"
                                "  图例:  . 完好  X 坏扇区  R 重试时读出\n")) << run.out;
  EXPECT_EQ(run.out.find('\033'), std::string::npos);
  std::string raw = ReadWhole(Path("rescued.img"));
  EXPECT_EQ(raw.substr(18944, 22), "BAD SECTOR DUMMY BLOCK");

  ProgramRun refused = Diskelle({"/r", "/o", Path("rescued.IMZ")});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "当 '紧急读取' 模式激活后，你只能作为 IMG 来保存映像文件。\n");
}

TEST_F(Cli, DamagedSettingsAreReportedKeptAndReplacedByDefaults) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "zero"});
  const std::string image = Path("disk.img");
  ASSERT_EQ(Diskelle({"/r", "/o", image}).exitCode, 0);
  std::string hive = Path("settings.reg");
  WriteWhole(hive, "REGEDIT4\n[HKEY_CURRENT_USER\\Software\ntruncated");
  // Commands that use no settings start without reading them: the damage waits for one that does.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"--version"}, {"--files", image}}) {
    ProgramRun quick = Diskelle(args);
    EXPECT_EQ(quick.exitCode, 0) << args[0];
    EXPECT_EQ(quick.err, "") << args[0];
    EXPECT_FALSE(FileExists(hive + ".bad")) << args[0];
  }
  ProgramRun run = Diskelle({});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "设置文件 " + hive + " 已损坏，已将其保存为 " + hive + ".bad，并使用默认设置。\n");
  EXPECT_EQ(ReadWhole(hive + ".bad"), "REGEDIT4\n[HKEY_CURRENT_USER\\Software\ntruncated");
  EXPECT_EQ(ReadWhole(hive).rfind("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]", 0), 0u);
}

TEST_F(Cli, SettingsAreListedAndSetByNameAndBadValuesAreRefused) {
  ProgramRun listed = Diskelle({"--settings"});
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_TRUE(Contains(listed.out, "\nEmergency = 0 (默认: 0)\n")) << listed.out;
  EXPECT_TRUE(Contains(listed.out, "\nSelf-Exe.VerifyFormat = 0 (默认: 0)\n")) << listed.out;

  struct Case {
    std::string assignment;
    int exitCode;
    std::string out, err;
  } cases[] = {
      {"emergency=1", 0, "已设置 Emergency = 1\n", ""},
      {"Self-Exe.LicenseTitle=\x1b]0;x\x07", 0, "已设置 Self-Exe.LicenseTitle = \"\\x1b]0;x\\x07\"\n", ""},
      {"formatdisk=1", 0,
       "已设置 FormatDisk = 1\n注意: 命令行运行不使用 FormatDisk 的保存值，而由 /b、/s、/f 和 /v 决定。\n", ""},
      {"Self-Exe.VerifyWrite=0", 0, "已设置 Self-Exe.VerifyWrite = 0\n", ""},
      {"Emergency=2", 2, "", "设置 Emergency 的值超出范围 (0-1)。\n"},
      {"FDLetter=C:", 2, "", "设置 FDLetter 的值只能是 A:, B:。\n"},
      {"Speed=1", 2, "", "没有名为 Speed 的设置。使用 --settings 列出所有设置。\n"},
      {"Emergency", 2, "", "用法: diskelle --set <名称>=<值>\n"},
  };
  for (const Case& c : cases) {
    ProgramRun run = Diskelle({"--set", c.assignment});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.assignment;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
  listed = Diskelle({"--settings"});
  EXPECT_TRUE(Contains(listed.out, "\nEmergency = 1 (默认: 0)\n")) << listed.out;
  EXPECT_TRUE(Contains(listed.out, "\nSelf-Exe.LicenseTitle = \"\\x1b]0;x\\x07\" (默认: \"授权协议\")\n"));
  EXPECT_TRUE(Contains(listed.out, "\nFDLetter = \"A:\" (默认: \"A:\")\n"));

  // The stored setting is the one the disk operations use.
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "zero"});
  ProgramRun refused = Diskelle({"/r", "/o", Path("disk.imz")});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "当 '紧急读取' 模式激活后，你只能作为 IMG 来保存映像文件。\n");

  // A drive's node is kept in the settings; the environment still wins for one run.
  // Typed relative, it is stored as the file it names, for runs from any folder.
  std::string stored = NewFloppy("stored.vfd", {"--format", "360", "--fill", "zero"});
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  ProgramRun setNode = Diskelle({"--set", "DriveANode=./stored.vfd"});
  std::filesystem::current_path(previous);
  ASSERT_EQ(setNode.exitCode, 0);
  EXPECT_EQ(setNode.out, "已设置 DriveANode = \"" + stored + "\"\n");
  drives["DISKELLE_DRIVE_A"] = Path("gone.vfd");
  ProgramRun gone = Diskelle({"/r", "/o", Path("gone.img")});
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_EQ(gone.err, "不能打开 A: (" + Path("gone.vfd") + ")。\n");
  for (bool named : {false, true}) {
    if (!named) drives.erase("DISKELLE_DRIVE_A");
    std::string image = Path(named ? "named.img" : "stored.img");
    ProgramRun read = Diskelle({"/r", "/o", image});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_TRUE(Contains(Diskelle({image}).out, named ? "80 个磁轨" : "40 个磁轨")) << named;
    if (!named) drives["DISKELLE_DRIVE_A"] = NewFloppy("named.vfd", {"--format", "720", "--fill", "zero"});
  }
}

// A real line break and the typed characters \r\n list differently, and what is listed sets back the same.
TEST_F(Cli, ListedTextsAreUnambiguousAndSetBackAsListed) {
  auto listedValue = [&]() {
    std::string out = Diskelle({"--settings"}).out;
    const std::string label = "\nSelf-Exe.CreateText = ";
    std::size_t start = out.find(label) + label.size();
    std::string line = out.substr(start, out.find('\n', start) - start);
    return line.substr(0, line.rfind(" (默认: "));
  };
  struct Case {
    std::string typed, listed;
  } cases[] = {
      {"一\r\n二", "\"一\\r\\n二\""},
      {"一\\r\\n二", "\"一\\\\r\\\\n二\""},
      {"\"quoted\" \\", "\"\\\"quoted\\\" \\\\\""},
      {"\x01\x7f\xc2\x85\t", "\"\\x01\\x7f\\xc2\\x85\\t\""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Diskelle({"--set", "Self-Exe.CreateText=" + c.typed}).exitCode, 0) << c.listed;
    std::string stored = ReadWhole(Path("settings.reg"));
    EXPECT_EQ(listedValue(), c.listed);
    ProgramRun again = Diskelle({"--set", "Self-Exe.CreateText=" + listedValue()});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, "已设置 Self-Exe.CreateText = " + c.listed + "\n");
    EXPECT_EQ(ReadWhole(Path("settings.reg")), stored) << c.listed;
  }
  ProgramRun bad = Diskelle({"--set", "Self-Exe.CreateText=\"a\\qb\""});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_TRUE(Contains(bad.err, "设置 Self-Exe.CreateText 的值在双引号中")) << bad.err;
}

TEST_F(Cli, AssociationWritesTheDesktopFilesAndRunsTheDesktopsToolsWhenThereAreAny) {
  std::string data = Path("data");
  std::string tools = Path("bin");
  std::filesystem::create_directory(tools);
  env["XDG_DATA_HOME"] = data;
  env["PATH"] = tools;
  std::string entry = data + "/applications/diskelle.desktop";
  std::string types = data + "/mime/packages/diskelle.xml";

  ProgramRun associated = Diskelle({"--associate"});
  EXPECT_EQ(associated.exitCode, 0) << associated.err;
  EXPECT_EQ(associated.out, "已写入 " + types + "\n已写入 " + entry + "\n");
  std::string desktop = ReadWhole(entry);
  EXPECT_TRUE(Contains(desktop, "\nExec=\"" + std::string(DISKELLE_CLI) + "\" %f\n")) << desktop;
  EXPECT_TRUE(Contains(desktop, "\nTerminal=true\n")) << desktop;
  EXPECT_TRUE(Contains(desktop, "\nMimeType=application/x-diskelle-img;application/x-diskelle-imz;\n"));
  EXPECT_TRUE(Contains(ReadWhole(types), "<glob pattern=\"*.imz\"")) << ReadWhole(types);

  // A tool on PATH gets the folder; one that fails is a warning, not a failure.
  struct Case {
    int toolExit;
    std::string err;
  } cases[] = {{0, ""}, {3, "警告: update-mime-database " + data + "/mime 失败 (退出状态 3)。\n"}};
  for (const Case& c : cases) {
    std::string tool = tools + "/update-mime-database";
    WriteWhole(tool, "#!/bin/sh\necho \"$@\" >> \"" + Path("called") + "\"\nexit " + std::to_string(c.toolExit) +
                         "\n");
    ::chmod(tool.c_str(), 0755);
    ProgramRun run = Diskelle({"--associate"});
    EXPECT_EQ(run.exitCode, 0) << c.toolExit;
    EXPECT_EQ(run.err, c.err);
  }
  EXPECT_EQ(ReadWhole(Path("called")), data + "/mime\n" + data + "/mime\n");

  ProgramRun removed = Diskelle({"--unassociate"});
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_TRUE(Contains(removed.out, "已删除 " + entry + "\n已删除 " + types + "\n")) << removed.out;
  EXPECT_FALSE(FileExists(entry));
  EXPECT_FALSE(FileExists(types));
  EXPECT_EQ(ReadWhole(Path("called")), data + "/mime\n" + data + "/mime\n" + data + "/mime\n");

  WriteWhole(Path("plain"), "");
  env["XDG_DATA_HOME"] = Path("plain");
  ProgramRun blocked = Diskelle({"--associate"});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_EQ(blocked.err.rfind("不能创建 " + Path("plain") + "/mime/packages/diskelle.xml。\n", 0), 0u) << blocked.err;

  // An entry that cannot be written leaves no types behind, nor changes the ones an earlier run wrote.
  env["XDG_DATA_HOME"] = data;
  std::filesystem::create_directories(entry);  // a folder where the entry goes
  for (bool earlier : {false, true}) {
    if (earlier) WriteWhole(types, "earlier types");
    ProgramRun half = Diskelle({"--associate"});
    EXPECT_EQ(half.exitCode, 1) << earlier;
    EXPECT_EQ(FileExists(types), earlier);
    EXPECT_EQ(earlier ? ReadWhole(types) : "", earlier ? "earlier types" : "");
  }
  std::filesystem::remove_all(entry);
  std::filesystem::remove(types);

  // A program path that a desktop cannot start is refused before anything is written.
  for (std::string folder : {Path("100%"), Path("bad\xff")}) {
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(DISKELLE_CLI, folder + "/diskelle");
    ProgramRun refused = Exec(folder + "/diskelle", {"--associate"});
    EXPECT_EQ(refused.exitCode, 1) << folder;
    EXPECT_TRUE(Contains(refused.err, "所以没有建立关联")) << refused.err;
    EXPECT_FALSE(FileExists(types));
    EXPECT_FALSE(FileExists(entry));
  }
}

}  // namespace
