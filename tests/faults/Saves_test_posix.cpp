// Saving files where saving is hard: a full disk, files and folders the user may not write, links and
// device nodes as targets, long names, modes and owners. Whatever happens, no run reports success for data
// that was not saved, and nothing that was there before is lost.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <functional>

#include "support/ProgramsFixture_posix.h"

namespace {

using Saves = ProgramsTest;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info.st_mode;
}

// A write to a virtual floppy whose file cannot be saved fails, and the floppy keeps its old disk.
TEST_F(Saves, AWriteWhoseFloppyCannotBeSavedFailsAndChangesNothing) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("source.vfd", {"--format", "1440", "--fill", "random"});
  ASSERT_EQ(Diskelle({"/r", "/o", Path("src.img")}).exitCode, 0);
  ::chmod(dir.c_str(), 0755);
  ::chmod(Path("src.img").c_str(), 0644);
  std::optional<uid_t> nobody = UnprivilegedUser();
  bool canDropRights = nobody.has_value() || ::geteuid() != 0;
  struct Case {
    const char* title;
    std::function<void(const std::string& floppy, ProgramOptions&)> arrange;
    std::string err;
    bool needsOtherUser;
  } cases[] = {
      {"full file system", [](const std::string&, ProgramOptions& o) { o.fileSizeLimit = 1 << 20; },
       "不能完成对软盘的写入 (错误: 0x0070)。\n软盘上的内容可能没有被改变。\n", false},
      {"floppy file the user may not write",
       [&](const std::string& floppy, ProgramOptions& o) {
         ::chmod(floppy.c_str(), 0444);
         ::chmod(dir.c_str(), 0777);
         o.user = nobody;
       },
       "软盘有防写入保护。\n", true},
      {"folder the user may not write",
       [&](const std::string& floppy, ProgramOptions& o) {
         ::chmod(floppy.c_str(), 0666);
         o.user = nobody;
       },
       "不能完成对软盘的写入 (错误: 0x0005)。\n软盘上的内容可能没有被改变。\n", true},
  };
  for (const Case& c : cases) {
    if (c.needsOtherUser && !canDropRights) continue;
    for (bool format : {false, true}) {
      SCOPED_TRACE(std::string(c.title) + (format ? ", formatting first" : ""));
      ::chmod(dir.c_str(), 0755);
      std::string floppy = NewFloppy("target.vfd", {"--format", "1440", "--fill", "zero", "--force"});
      drives["DISKELLE_DRIVE_A"] = floppy;
      ProgramOptions options;
      c.arrange(floppy, options);
      const std::string before = ReadWhole(floppy);
      std::vector<std::string> arguments{"/s", "/i", Path("src.img"), "/w"};
      if (format) arguments.push_back("/f");
      ProgramRun run = Diskelle(arguments, options);
      EXPECT_EQ(run.exitCode, 1);
      EXPECT_EQ(run.err, c.err);
      EXPECT_TRUE(ReadWhole(floppy) == before);
      EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
      ::chmod(floppy.c_str(), 0644);
    }
  }
}

TEST_F(Saves, ImagesThatCannotBeSavedLeaveTheOldFileAsItWas) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "1440", "--fill", "random"});
  ASSERT_EQ(Diskelle({"/r", "/o", Path("src.img")}).exitCode, 0);
  WriteWhole(Path("old.img"), "precious");
  ProgramOptions full;
  full.fileSizeLimit = 1 << 20;
  struct Case {
    const char* title;
    std::vector<std::string> arguments;
  } cases[] = {
      {"read onto a full disk", {"/r", "/o", Path("old.img")}},
      {"conversion onto a full disk", {"/c", "/i", Path("src.img"), "/o", Path("old.img")}},
  };
  for (const Case& c : cases) {
    ProgramRun run = Diskelle(c.arguments, full);
    EXPECT_EQ(run.exitCode, 1) << c.title;
    EXPECT_EQ(run.err, "写入映像文件失败。\n") << c.title;
    EXPECT_EQ(ReadWhole(Path("old.img")), "precious") << c.title;
    EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{}) << c.title;
  }
}

TEST_F(Saves, LinksAreFollowedAndWhatIsNoFileIsNeverReplaced) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  ASSERT_EQ(Diskelle({"/r", "/o", Path("src.img")}).exitCode, 0);
  std::filesystem::create_directory(dir + "/archive");
  WriteWhole(Path("archive/real.img"), "old");
  ASSERT_EQ(::symlink("archive/real.img", Path("link.img").c_str()), 0);
  ProgramRun linked = Diskelle({"/c", "/i", Path("src.img"), "/o", Path("link.img")});
  EXPECT_EQ(linked.exitCode, 0) << linked.err;
  EXPECT_TRUE(S_ISLNK(ModeOf(Path("link.img"))));
  EXPECT_EQ(ReadWhole(Path("archive/real.img")), ReadWhole(Path("src.img")));

  bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::mknod(Path("null.img").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  }
  ASSERT_EQ(::mkfifo(Path("fifo.img").c_str(), 0666), 0);
  ASSERT_EQ(::symlink("/dev/null", Path("devlink.img").c_str()), 0);
  std::filesystem::create_directory(Path("folder.img"));
  for (const char* name : {"null.img", "fifo.img", "devlink.img", "folder.img"}) {
    if (!root && std::string(name) == "null.img") continue;
    // Refused before the disk is read or the image converted, as every refused path is: exit status 2.
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{"/r", "/o", Path(name)}, {"/c", "/i", Path("src.img"), "/o", Path(name)}}) {
      ProgramRun refused = Diskelle(arguments);
      EXPECT_EQ(refused.exitCode, 2) << name << " " << arguments[0];
      EXPECT_EQ(refused.err, Path(name) + " 不是普通文件，不能替换它。\n") << name;
    }
    if (std::string(name) == "folder.img") continue;
    ProgramRun dumped = Vfloppy({"dump", Path("a.vfd"), Path(name)});
    EXPECT_EQ(dumped.exitCode, 1) << name;
    EXPECT_TRUE(Contains(dumped.err, "not a regular file")) << dumped.err;
  }
  if (root) {
    EXPECT_TRUE(S_ISCHR(ModeOf(Path("null.img"))));
  }
  EXPECT_TRUE(S_ISFIFO(ModeOf(Path("fifo.img"))));
  EXPECT_TRUE(S_ISLNK(ModeOf(Path("devlink.img"))));

  // A dump may stream to standard output instead.
  ProgramRun streamed = Vfloppy({"dump", Path("a.vfd"), "-"});
  EXPECT_EQ(streamed.exitCode, 0);
  EXPECT_TRUE(streamed.out == ReadWhole(Path("src.img")).substr(0, 737280));

  // An input that is no file is refused at once instead of blocking forever (the runner's watchdog would end
  // the program: exit 128 + SIGKILL).
  ProgramRun fifoInput = Diskelle({"/t", "/i", Path("fifo.img")});
  EXPECT_EQ(fifoInput.exitCode, 2);
  EXPECT_EQ(fifoInput.err.rfind("不能打开 " + Path("fifo.img") + "。\n", 0), 0u) << fifoInput.err;
}

TEST_F(Saves, ReplacedImagesKeepModeAndOwnerAndReadOnlyOnesAreRefused) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  ASSERT_EQ(Diskelle({"/r", "/o", Path("src.img")}).exitCode, 0);
  bool root = ::geteuid() == 0;
  for (const char* name : {"private.img", "private.imz"}) {
    std::string target = Path(name);
    WriteWhole(target, "old");
    ::chmod(target.c_str(), 0600);
    if (root) {
      ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    }
    ProgramRun read = Diskelle({"/r", "/o", target});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(ModeOf(target) & 07777, 0600u) << name;
    struct stat info {};
    ::stat(target.c_str(), &info);
    if (root) {
      EXPECT_EQ(info.st_uid, 65534u) << name;
    }
  }

  std::string readOnly = Path("readonly.img");
  WriteWhole(readOnly, "old");
  ::chmod(readOnly.c_str(), 0444);
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{"/r", "/o", readOnly}, {"/c", "/i", Path("src.img"), "/o", readOnly}}) {
    ProgramRun refused = Diskelle(arguments);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, readOnly + " 是只读属性。\n");
    EXPECT_EQ(ReadWhole(readOnly), "old");
  }
}

TEST_F(Saves, TheLongestFileNameStillSaves) {
  drives["DISKELLE_DRIVE_A"] = NewFloppy("a.vfd", {"--format", "720", "--fill", "random"});
  std::string longest = Path(std::string(251, 'd') + ".img");  // 255 bytes, the most a folder allows
  ProgramRun read = Diskelle({"/r", "/o", longest});
  EXPECT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(Diskelle({"/t", "/i", longest}).exitCode, 0);
}

// A damaged settings file is kept byte for byte, however large, and a later damage never overwrites it.
TEST_F(Saves, DamagedSettingsFilesAreKeptWholeAndNumbered) {
  std::string hive = Path("settings.reg");
  std::string first(17 << 20, 'x');  // over the 16 MB a settings file may have
  first.replace(0, 9, "REGEDIT4\n");
  WriteWhole(hive, first);
  ProgramRun run = Diskelle({});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(Contains(run.err, "已将其保存为 " + hive + ".bad")) << run.err;
  EXPECT_TRUE(ReadWhole(hive + ".bad") == first);

  WriteWhole(hive, "damaged again");
  run = Diskelle({});
  EXPECT_TRUE(Contains(run.err, "已将其保存为 " + hive + ".bad.2")) << run.err;
  EXPECT_TRUE(ReadWhole(hive + ".bad") == first);
  EXPECT_EQ(ReadWhole(hive + ".bad.2"), "damaged again");
}

}  // namespace
