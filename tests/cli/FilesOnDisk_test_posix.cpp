// The files on a disk against an independent tool: mtools builds the disk of every format, and what
// `diskelle --files` lists and `--extract` writes must be what mtools copies out. Then the disk is read in
// emergency mode with bad sectors in chosen files, a folder and the FAT: the damaged entries must be exactly
// the ones whose clusters (as mshowfat gives them) hold a bad sector.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "support/ImageTestSupport.h"
#include "support/ProgramsFixture_posix.h"

namespace {

namespace fs = std::filesystem;

class FilesOnDisk : public ProgramsTest {
 protected:
  // A shell command line in the test's folder (mtools and files); the test fails when it fails.
  std::string Sh(const std::string& command) {
    ProgramOptions options;
    options.env = {{"MTOOLS_SKIP_CHECK", "1"}, {"LC_ALL", "C.UTF-8"}, {"TZ", "UTC"}};
    ProgramRun run = RunProgram("/bin/sh", {"-c", "cd '" + dir + "' && " + command}, options);
    EXPECT_EQ(run.exitCode, 0) << command << "\n" << run.err;
    return run.out;
  }

  // Path (folders with a trailing slash) -> size of every file and folder under root.
  static std::map<std::string, uint64_t> Tree(const std::string& root) {
    std::map<std::string, uint64_t> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      std::string path = fs::relative(entry.path(), root).string();
      tree[entry.is_directory() ? path + "/" : path] = entry.is_directory() ? 0 : entry.file_size();
    }
    return tree;
  }

  // The entry lines of a listing: path -> "size\ttime\tstate".
  static std::map<std::string, std::string> Listing(const std::string& out) {
    std::map<std::string, std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
      std::size_t tab = line.find('\t');
      if (tab != std::string::npos) lines[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return lines;
  }
};

struct Format {
  const char* name;
  const char* mformat;  // geometry options
  int clusterBytes;
};

TEST_F(FilesOnDisk, ListAndExtractAsMtoolsDoesThenNameTheFilesBadSectorsHit) {
  const Format formats[] = {{"360", "-f 360", 1024},
                            {"720", "-f 720", 1024},
                            {"1200", "-f 1200", 512},
                            {"1440", "-f 1440", 512},
                            {"1680", "-t 80 -h 2 -s 21", 512}};
  env["TZ"] = "UTC";
  for (const Format& f : formats) {
    SCOPED_TRACE(f.name);
    const std::string one = std::to_string(f.clusterBytes);
    Sh("rm -rf src out ref disk.img disk.imz && mkdir -p src/nested/deeper/deepest src/other src/empty-folder && "
       "printf 'hello\\n' > src/readme.txt && printf 'SHORT' > src/SHORT.TXT && "
       "printf 'long' > 'src/A long file name.text' && printf '中文' > 'src/长文件名测试.txt' && "
       ": > src/empty.dat && head -c " + one + " /dev/urandom > src/one.bin && "
       "head -c 2100 /dev/urandom > src/nested/deeper/deepest/x.txt && "
       "for i in 1 2 3 4 5 6; do head -c 300 /dev/urandom > src/other/file$i.txt; done && "
       "head -c 3000 /dev/urandom > hole && head -c 700 /dev/urandom > gap && "
       "head -c 9000 /dev/urandom > frag && touch -d '1999-12-31 23:59:58' src/readme.txt && "
       "mformat -C -i disk.img " + std::string(f.mformat) + " -v TESTDISK :: && "
       "mcopy -i disk.img -m hole gap :: && mdel -i disk.img ::/hole && mcopy -i disk.img -m frag :: && "
       "mcopy -i disk.img -s -m src/* :: && "
       "mattrib -i disk.img +h +s ::/SHORT.TXT");
    // The fragmented file really is in pieces, and the deleted one leaves an entry behind.
    EXPECT_TRUE(Contains(Sh("mshowfat -i disk.img ::/frag"), "> <")) << "not fragmented";

    Sh("mkdir ref && mcopy -i disk.img -s -m '::/*' ref/");
    ProgramRun listed = Diskelle({"--files", Path("disk.img")});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_TRUE(Contains(listed.out, "卷标: TESTDISK\n")) << listed.out;
    std::map<std::string, std::string> listing = Listing(listed.out);
    std::map<std::string, uint64_t> fromListing;
    for (const auto& [path, rest] : listing) {
      fromListing[path] = std::stoull(rest.substr(0, rest.find('\t')));
      EXPECT_EQ(rest.substr(rest.rfind('\t') + 1), "ok") << path;
    }
    EXPECT_EQ(fromListing, Tree(Path("ref")));
    EXPECT_EQ(listing["readme.txt"], "6\t1999-12-31 23:59:58\tok");
    // Every form of the image holds the same disk.
    ASSERT_EQ(Diskelle({"/i", Path("disk.img"), "/o", Path("disk.imz"), "/c", "/s"}).exitCode, 0);
    EXPECT_EQ(Listing(Diskelle({"--files", Path("disk.imz")}).out), listing);

    ProgramRun extracted = Diskelle({"--extract", Path("disk.img"), Path("out")});
    EXPECT_EQ(extracted.exitCode, 0) << extracted.err;
    EXPECT_EQ(Tree(Path("out")), Tree(Path("ref")));
    for (const auto& entry : fs::recursive_directory_iterator(Path("ref"))) {
      if (entry.is_directory()) continue;
      const std::string out = Path("out/" + fs::relative(entry.path(), Path("ref")).string());
      EXPECT_EQ(ReadWhole(out), ReadWhole(entry.path().string())) << out;
      struct stat a {}, b {};
      ASSERT_EQ(::stat(out.c_str(), &a), 0);
      ASSERT_EQ(::stat(entry.path().c_str(), &b), 0);
      EXPECT_LE(std::abs(a.st_mtime - b.st_mtime), 2) << out;
    }
    // Nothing is replaced without --force.
    ProgramRun again = Diskelle({"--extract", Path("disk.img"), Path("out"), "readme.txt"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(Contains(again.err, "已经存在")) << again.err;

    // Bad sectors: the first sector of x.txt's second cluster, frag's last cluster, other/'s first cluster
    // and the first FAT copy's first sector (the second copy stands in).
    const std::string boot = ReadWhole(Path("disk.img")).substr(0, 512);
    auto le16 = [&](int at) { return static_cast<uint8_t>(boot[at]) | static_cast<uint8_t>(boot[at + 1]) << 8; };
    const int spc = static_cast<uint8_t>(boot[13]);
    const int dataStart = le16(14) + boot[16] * le16(22) + le16(17) * 32 / 512;
    auto clustersOf = [&](const std::string& path) {
      std::vector<int> clusters;
      std::string shown = Sh("mshowfat -i disk.img '::/" + path + "'");
      std::regex range("<([0-9]+)(-([0-9]+))?>");
      for (auto it = std::sregex_iterator(shown.begin(), shown.end(), range); it != std::sregex_iterator(); ++it) {
        int from = std::stoi((*it)[1]), to = (*it)[3].matched ? std::stoi((*it)[3]) : from;
        for (int c = from; c <= to; ++c) clusters.push_back(c);
      }
      EXPECT_FALSE(clusters.empty()) << shown;
      return clusters;
    };
    auto sectorOf = [&](int cluster) { return std::to_string(dataStart + (cluster - 2) * spc); };
    const std::string bad = sectorOf(clustersOf("nested/deeper/deepest/x.txt").at(1)) + "," +
                            sectorOf(clustersOf("frag").back()) + "," + sectorOf(clustersOf("other").front()) +
                            "," + std::to_string(le16(14));
    Sh("rm -f floppy.vfd rescued.img rescued.img.map");
    drives["DISKELLE_DRIVE_A"] = NewFloppy("floppy.vfd", {"--format", f.name, "--from", Path("disk.img"), "--bad", bad});
    ASSERT_EQ(Diskelle({"--set", "Emergency=1"}).exitCode, 0);
    ProgramRun read = Diskelle({"/r", "/o", Path("rescued.img"), "/s"});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    ProgramRun rescued = Diskelle({"--files", Path("rescued.img")});
    EXPECT_EQ(rescued.exitCode, 1) << rescued.err;
    std::set<std::string> damaged;
    for (const auto& [path, rest] : Listing(rescued.out)) {
      if (rest.substr(rest.rfind('\t') + 1) != "ok") damaged.insert(path);
    }
    EXPECT_EQ(damaged, (std::set<std::string>{"frag", "nested/deeper/deepest/x.txt", "other/"})) << rescued.out;
    EXPECT_TRUE(Contains(rescued.out, "第一个 FAT 副本: 1 个坏扇区\n")) << rescued.out;
    EXPECT_TRUE(Contains(rescued.out, "子目录: 1 个坏扇区\n")) << rescued.out;
    EXPECT_TRUE(Contains(rescued.out, "文件: 2 个坏扇区\n")) << rescued.out;
    // The damaged file is extracted with its marker block and named.
    ProgramRun saved = Diskelle({"--extract", Path("rescued.img"), Path("saved"), "frag"});
    EXPECT_EQ(saved.exitCode, 1);
    EXPECT_TRUE(Contains(saved.err, "saved/frag")) << saved.err;
    EXPECT_TRUE(Contains(ReadWhole(Path("saved/frag")), "BAD SECTOR DUMMY BLOCK"));
    Sh("rm -rf saved");
    drives.clear();
  }
}

}  // namespace
