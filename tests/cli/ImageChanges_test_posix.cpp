// Writing files onto an image's disk, judged by independent tools: after every change dosfstools finds
// nothing wrong with the volume and mtools takes out exactly what was put in (names, bytes, times to two
// seconds). Refusals leave the image as it was, with the exit status that says why.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "support/ProgramsFixture_posix.h"
#include "support/ZipTool.h"

namespace {

namespace fs = std::filesystem;

class ImageChanges : public ProgramsTest {
 protected:
  void SetUp() override {
    ProgramsTest::SetUp();
    env["TZ"] = "UTC";
  }

  ProgramRun Shell(const std::string& command) {
    ProgramOptions options;
    options.env = {{"MTOOLS_SKIP_CHECK", "1"}, {"LC_ALL", "C.UTF-8"}, {"TZ", "UTC"}, {"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}};
    return RunProgram("/bin/sh", {"-c", "cd '" + dir + "' && " + command}, options);
  }
  // A shell command line in the test's folder; the test fails when it fails.
  std::string Sh(const std::string& command) {
    ProgramRun run = Shell(command);
    EXPECT_EQ(run.exitCode, 0) << command << "\n" << run.out << run.err;
    return run.out;
  }

  struct Item {
    std::string bytes;  // a folder's: "/"
    int64_t modified;
  };
  // Every file and folder under root by its path.
  static std::map<std::string, Item> Tree(const std::string& root) {
    std::map<std::string, Item> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      struct stat info {};
      ::stat(entry.path().c_str(), &info);
      tree[fs::relative(entry.path(), root).string()] = {entry.is_directory() ? "/" : ReadWhole(entry.path()),
                                                          static_cast<int64_t>(info.st_mtime)};
    }
    return tree;
  }

  // The judges' verdict on the image's disk: fsck.fat finds nothing, and mtools takes out what folder holds
  // (under the disk's folder under).
  void ExpectDiskHolds(const std::string& image, const std::string& folder, const std::string& under = "") {
    std::string raw = image;
    if (!image.ends_with(".img")) {
      raw = Path("judged.img");
      ::unlink(raw.c_str());
      ASSERT_EQ(Diskelle({"/c", "/i", image, "/o", raw, "/s"}).exitCode, 0);
    }
    ProgramRun fsck = Shell("fsck.fat -n '" + raw + "'");
    EXPECT_EQ(fsck.exitCode, 0) << fsck.out << fsck.err;
    EXPECT_EQ(std::count(fsck.out.begin(), fsck.out.end(), '\n'), 2) << fsck.out;  // its name, then the counts
    Sh("rm -rf taken && mkdir taken");
    const std::map<std::string, Item> expected = Tree(folder);
    if (!expected.empty()) Sh("mcopy -i '" + raw + "' -s -m '::" + under + "/*' taken/");
    const std::map<std::string, Item> taken = Tree(Path("taken"));
    ASSERT_EQ(taken.size(), expected.size());
    for (auto a = taken.begin(), b = expected.begin(); a != taken.end(); ++a, ++b) {
      EXPECT_EQ(a->first, b->first);
      EXPECT_TRUE(a->second.bytes == b->second.bytes) << a->first;
      if (a->second.bytes != "/") {
        EXPECT_LE(std::abs(a->second.modified - b->second.modified), 2) << a->first;
      }
    }
  }

  // The paths of the items at the top of folder, for --add.
  std::vector<std::string> TopOf(const std::string& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(Path(folder))) paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
  }
};

TEST_F(ImageChanges, TreesGoOntoTheDiskAsTheJudgesTakeThemOut) {
  const struct {
    const char* title;
    const char* format;
    const char* image;
    std::string make;  // shell commands that fill src/
  } trees[] = {
      {"long, Chinese and accented names", "1440", "names.img",
       "printf 1 > 'A long file name.text' && printf 2 > '长文件名测试.txt' && printf 3 > 'café résumé.txt' && "
       "printf 4 > 'Mixed Case.Txt' && printf 5 > UPPER.TXT && printf 6 > lower.txt && printf 7 > a.b.c && "
       "printf 8 > .hidden && printf 9 > 'x+y;z=[1].txt' && printf 0 > " + std::string(255, 'n') + " && "
       "touch -d '1999-12-31 23:59:58' lower.txt && touch -d '1980-01-01 00:00:00' UPPER.TXT"},
      {"short names alike", "720", "alike.imz",
       "for i in 1 2 3 4 5 6 7 8 9 10 11 12; do printf $i > \"Long name number $i.txt\"; done"},
      {"deep folders", "1200", "deep.img",
       "p=.; for i in $(seq 1 40); do p=\"$p/level $i\"; mkdir \"$p\"; printf $i > \"$p/at $i.txt\"; done"},
      {"empty files and folders", "360", "empty.imz", ": > empty.dat && mkdir -p 'no files/none either' && : > 'no files/zero'"},
      {"a folder that grows", "1440", "grows.imz",
       "mkdir many && for i in $(seq 1 100); do head -c $((i * 37)) /dev/urandom > \"many/file number $i\"; done"},
      {"a full disk", "720", "full.img", "head -c 730112 /dev/urandom > whole"},
      {"a full root", "1440", "root.img", "for i in $(seq 1 224); do printf $i > f$i.txt; done"},
      {"the 1680 format's small root", "1680", "small.img",
       "mkdir a b && head -c 300000 /dev/urandom > a/big && head -c 3000 /dev/urandom > 'b/Not so small'"},
  };
  bool fromFolder = true;
  for (const auto& tree : trees) {
    SCOPED_TRACE(tree.title);
    Sh("rm -rf src && mkdir src && cd src && " + tree.make);
    const std::string image = Path(tree.image);
    // Half the trees go in with the new image, half are added to a blank one.
    if (fromFolder) {
      ProgramRun made = Diskelle({"--new", image, "--format", tree.format, Path("src")});
      ASSERT_EQ(made.exitCode, 0) << made.err;
    } else {
      ProgramRun made = Diskelle({"--new", image, "--format", tree.format});
      ASSERT_EQ(made.exitCode, 0) << made.err;
      std::vector<std::string> arguments{"--add", image};
      for (const std::string& path : TopOf("src")) arguments.push_back(path);
      ProgramRun added = Diskelle(arguments);
      ASSERT_EQ(added.exitCode, 0) << added.err;
    }
    fromFolder = !fromFolder;
    ExpectDiskHolds(image, Path("src"));
    EXPECT_EQ(Diskelle({"--files", image}).exitCode, 0);
  }
}

// A run of changes to one disk, each judged, against the same changes to a folder here.
TEST_F(ImageChanges, ChangesOneAfterAnotherKeepTheDiskSound) {
  Sh("mkdir -p model new && cd new && printf one > 'Report 1998.doc' && mkdir -p 'Lab data/raw' && "
     "head -c 9000 /dev/urandom > 'Lab data/raw/run 1.dat' && printf v2 > version.txt");
  const std::string image = Path("disk.imz");
  ASSERT_EQ(Diskelle({"--new", image, "--label", "lab 1998"}).exitCode, 0);
  const struct {
    const char* title;
    std::vector<std::string> arguments;  // after the command and the image
    const char* command;
    std::string model;  // the same change to model/
  } steps[] = {
      {"add a file and a folder", {Path("new/Report 1998.doc"), Path("new/Lab data")}, "--add",
       "cp -p 'new/Report 1998.doc' model/ && cp -rp 'new/Lab data' model/"},
      {"make folders", {"Lab data/processed/by month", "archive"}, "--mkdir",
       "mkdir -p 'model/Lab data/processed/by month' model/archive"},
      {"add into a folder", {Path("new/version.txt"), "--to", "lab data/PROCESSED"}, "--add",
       "cp -p new/version.txt 'model/Lab data/processed/'"},
      {"replace a file", {"--force", Path("new/version.txt"), "--to", "Lab data/raw"}, "--add",
       "printf v3 > new/version.txt && cp -p new/version.txt 'model/Lab data/raw/'"},
      {"delete a folder with its contents and a file by its short name", {"lab data/raw", "REPORT~1.DOC"}, "--delete",
       "rm -r 'model/Lab data/raw' 'model/Report 1998.doc'"},
      {"add again where the deleted ones were", {Path("new/Lab data")}, "--add",
       "mkdir -p new2 && cp -rp 'new/Lab data' new2/ && rm -rf 'new2/Lab data/processed' && cp -rp 'new/Lab data/raw' 'model/Lab data/'"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.title);
    Sh(step.model);
    std::vector<std::string> arguments{step.command, image};
    arguments.insert(arguments.end(), step.arguments.begin(), step.arguments.end());
    ProgramRun run = Diskelle(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectDiskHolds(image, Path("model"));
  }
  EXPECT_TRUE(Contains(Diskelle({"--files", image}).out, "卷标: LAB 1998\n"));
  ASSERT_EQ(Diskelle({"--label", image, ""}).exitCode, 0);
  EXPECT_FALSE(Contains(Diskelle({"--files", image}).out, "卷标"));
  ExpectDiskHolds(image, Path("model"));
}

// DOS tells a changed disk by its serial number, so blank disks made one after another must not share one,
// and changing the files keeps it.
TEST_F(ImageChanges, EveryNewDiskHasItsOwnSerialNumber) {
  Sh("printf x > x.txt");
  const auto serialOf = [&](const std::string& image) {
    const std::string listing = Sh("mdir -i '" + image + "' ::");
    const std::size_t at = listing.find("Serial Number is ");
    return at == std::string::npos ? std::string("none") : listing.substr(at + 17, 9);
  };
  std::set<std::string> serials;
  for (const char* format : {"360", "1440", "1440", "1680"}) {
    const std::string image = Path("serial" + std::to_string(serials.size()) + ".img");
    ASSERT_EQ(Diskelle({"--new", image, "--format", format}).exitCode, 0);
    const std::string serial = serialOf(image);
    EXPECT_NE(serial, "0000-0000");
    serials.insert(serial);
    ASSERT_EQ(Diskelle({"--add", image, Path("x.txt")}).exitCode, 0);
    ASSERT_EQ(Diskelle({"--label", image, "kept"}).exitCode, 0);
    EXPECT_EQ(serialOf(image), serial);
  }
  EXPECT_EQ(serials.size(), 4u);
}

TEST_F(ImageChanges, RefusalsSayWhyAndLeaveTheImageAsItWas) {
  Sh("mkdir -p src/folder && printf a > src/a.txt && printf b > 'src/a:b' && printf c > 'src/trailing.' && "
     "printf d > \"$(printf 'src/ctrl\\001')\" && head -c 1500000 /dev/urandom > src/big && mkfifo src/fifo && "
     "mkdir -p src2/a.txt && printf e > src/folder.txt && mkdir -p many && "
     "for i in $(seq 1 230); do : > many/f$i; done");
  const std::string image = Path("disk.img");
  ASSERT_EQ(Diskelle({"--new", image, Path("src/a.txt"), "--label", "KEEP"}).exitCode, 2);  // a file, no folder
  ASSERT_EQ(Diskelle({"--new", image, "--label", "KEEP"}).exitCode, 0);
  ASSERT_EQ(Diskelle({"--add", image, Path("src/a.txt"), Path("src/folder")}).exitCode, 0);
  ASSERT_EQ(Diskelle({"--mkdir", image, "folder.txt"}).exitCode, 0);
  // A rescue's image (a marker block in free space, a map beside another copy) and another tool's zip image.
  Sh("cp disk.img rescued.img && printf 'BAD SECTOR DUMMY BLOCK' | dd of=rescued.img bs=512 seek=2000 conv=notrunc "
     "2>/dev/null && cp disk.img mapped.img && printf '0x00000000 +\\n0x00000000 0x00100000 +\\n0x00100000 0x00068000 -\\n' "
     "> mapped.img.map && head -c 1474560 disk.img > inner.img && dd if=/dev/urandom of=nofat.img bs=1024 count=1440 2>/dev/null && "
     "cp disk.img twofats.img && printf x | dd of=twofats.img bs=1 seek=$((10 * 512 + 40)) conv=notrunc 2>/dev/null");
  ASSERT_TRUE(RunZipTool({}, Path("zipped.imz"), {Path("inner.img")}));
  const std::string longName(256, 'x');
  std::vector<std::string> fillRoot{"--add", image};
  for (int i = 1; i <= 230; ++i) fillRoot.push_back(Path("many/f" + std::to_string(i)));
  const struct {
    const char* title;
    std::vector<std::string> arguments;
    int exitCode;
    const char* says;
  } cases[] = {
      {"a name with a colon", {"--add", image, Path("src/a:b")}, 2, "a:b: FAT 不能保存这个名称 (含有"},
      {"a name ending in a dot", {"--add", image, Path("src/trailing.")}, 2, "以点或空格结尾"},
      {"a name with a control character", {"--add", image, Path("src")}, 2, "含有控制字符"},
      {"a name longer than 255", {"--mkdir", image, "a/" + longName}, 2, "长于 255 个字符"},
      {"a FIFO", {"--add", image, Path("src/fifo")}, 2, "不是普通文件或文件夹"},
      {"a label FAT cannot hold", {"--label", image, "a*b"}, 2, "不能用作卷标"},
      {"no room", {"--add", image, Path("src/big")}, 1, "需要 1500160 字节，只有 "},
      {"a full root", fillRoot, 1, "根目录已满"},
      {"an existing file", {"--add", image, Path("src/a.txt")}, 1, "a.txt 已经存在。\n给出 --force"},
      {"a file replacing a folder", {"--add", "--force", image, Path("src/folder.txt")}, 1, "是一个文件夹，不能用文件替换它"},
      {"a folder replacing a file", {"--add", "--force", image, Path("src2/a.txt")}, 1, "是一个文件，不能用文件夹替换它"},
      {"a missing folder to add to", {"--add", image, Path("src/a.txt"), "--to", "nowhere"}, 1, "nowhere: 磁盘上没有"},
      {"a missing file to delete", {"--delete", image, "folder", "missing.txt"}, 1, "missing.txt: 磁盘上没有"},
      {"the root to delete", {"--delete", image, "/"}, 2, "不能删除根目录"},
      {"marker blocks", {"--add", Path("rescued.img"), Path("src/a.txt")}, 1, "中有坏扇区 (1 个)"},
      {"a map beside it", {"--add", Path("mapped.img"), Path("src/a.txt")}, 1, "中有坏扇区 (832 个)"},
      {"another tool's zip image", {"--add", Path("zipped.imz"), Path("src/a.txt")}, 2, "的格式只能读取"},
      {"no FAT volume", {"--add", Path("nofat.img"), Path("src/a.txt")}, 2, "没有可读取的 FAT 文件系统"},
      {"FAT copies that differ", {"--add", Path("twofats.img"), Path("src/a.txt")}, 2, "两个 FAT 副本不一致"},
      {"no such image", {"--add", Path("none.img"), Path("src/a.txt")}, 2, ""},
      {"a source to add missing", {"--add", image}, 2, "用法:"},
      {"an unknown option", {"--add", "--forcefully", image, Path("src/a.txt")}, 2, "用法:"},
      {"an unknown format", {"--new", Path("other.img"), "--format", "1000"}, 2, "用法:"},
      {"a label without its text", {"--label", image}, 2, "用法:"},
      {"a new image over an existing one", {"--new", image}, 1, "已经存在"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const std::map<std::string, std::string> before = [&] {
      std::map<std::string, std::string> files;
      for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file()) files[entry.path().string()] = ReadWhole(entry.path());
      }
      return files;
    }();
    ProgramRun run = Diskelle(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_TRUE(Contains(run.err, c.says)) << run.err;
    EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
    for (const auto& [path, bytes] : before) EXPECT_TRUE(ReadWhole(path) == bytes) << path;
  }
}

}  // namespace
