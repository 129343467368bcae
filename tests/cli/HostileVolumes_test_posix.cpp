// Disks a hostile or careless hand made: names that collide once made safe, names too long for this system,
// impossible times, folders nested deep or cross-linked, a loop, a damaged map. `--files` must list them as
// they are and `--extract` must write every file somewhere, never lose one, and say what it did; where mtools
// reads the same disk, its copy is the judge.

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "base/LittleEndian.h"
#include "support/CraftedVolume.h"
#include "support/ProgramsFixture_posix.h"

namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;  // relative path (folders end in '/') -> contents

class HostileVolumes : public ProgramsTest {
 protected:
  static Tree TreeOf(const std::string& root) {
    Tree tree;
    if (!fs::exists(root)) return tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      const std::string path = fs::relative(entry.path(), root).string();
      tree[entry.is_directory() ? path + "/" : path] = entry.is_directory() ? "" : ReadWhole(entry.path().string());
    }
    return tree;
  }
};

struct HostileVolume {
  const char* what;
  std::function<void(CraftedVolume&)> build;
  Tree tree;                              // what --extract writes
  std::vector<std::string> listed;        // lines --files prints
  std::vector<std::string> said;          // on standard error, by either
  std::vector<std::string> paths = {};    // --extract's paths (none: all)
  bool judged = false;                    // mtools copies the same tree
  int listExit = 0, extractExit = 0;
  std::string map = {};                   // a map beside the image
  std::vector<std::string> unsaid = {};
  bool force = false;
};

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST_F(HostileVolumes, EveryFileIsListedAndWrittenSomewhereAndWhatHappenedIsSaid) {
  using V = CraftedVolume;
  const std::string longCjk = Repeat("长", 200) + ".txt";  // 604 bytes: no Linux file system takes it
  std::string deep;
  for (int level = 1; level <= 60; ++level) deep += "level " + std::to_string(level) + "/";
  const HostileVolume cases[] = {
      {"names that collide once made safe",
       [](V& v) { V::Folder root = V::Root();
                  v.AddFile(root, "AB~1    TXT", "slash", "a/b.txt");
                  v.AddFile(root, "A_B     TXT", "plain", "a_b.txt");
                  v.AddFile(root, "AB~2    TXT", "colon", "a:b.txt");
                  v.AddFile(root, "AB~3    TXT", "backslash", "a\\b.txt"); },
       {{"a_b.txt", "plain"}, {"a_b (2).txt", "slash"}, {"a_b (3).txt", "colon"}, {"a_b (4).txt", "backslash"}},
       {"a_b.txt\t5\t", "a_b.txt\t5\t", "a:b.txt\t5\t", "a\\\\b.txt\t9\t"},
       {"a_b (2).txt", "3 个文件或文件夹因名称重复而改名写入。"}, {}, false, 0, 1},
      {"two entries of one name, chosen by it in another case",
       [](V& v) { V::Folder root = V::Root();
                  v.AddFile(root, "DUP     TXT", "one");
                  v.AddFile(root, "DUP     TXT", "two"); },
       {{"DUP.TXT", "one"}, {"DUP (2).TXT", "two"}}, {"DUP.TXT\t3\t"}, {"DUP (2).TXT"}, {"dup.txt"}, false, 0, 1},
      {"entries named . and ..",
       [](V& v) { V::Folder root = V::Root();
                  v.AddFile(root, "DOT     TXT", "dot", ".");
                  v.AddFile(root, "DOTDOT  TXT", "dotdot", "..");
                  v.AddFile(root, "_          ", "mine"); },
       {{"_", "mine"}, {"_ (2)", "dot"}, {"_ (3)", "dotdot"}}, {"_\t4\t"}, {"_ (2)"}, {}, false, 0, 1},
      {"sixty folders deep",
       [](V& v) { V::Folder folder = V::Root();
                  for (int level = 1; level <= 60; ++level) folder = v.AddFolder(folder, "LEVEL      ", "level " + std::to_string(level));
                  v.AddFile(folder, "BOTTOM  TXT", "at the bottom"); },
       {}, {deep + "BOTTOM.TXT\t13\t"}, {}, {}, true},
      {"a long name too long for this system, replacing asked",
       [&](V& v) { V::Folder root = V::Root(); v.AddFile(root, "LONG~1  TXT", "long", longCjk); },
       {{"LONG~1.TXT", "long"}}, {longCjk + "\t4\t"}, {"名称对此系统太长，用短名称写入为"}, {}, false, 0, 1, {}, {"已经存在"}, true},
      {"impossible times",
       [](V& v) { V::Folder root = V::Root();
                  uint8_t* e = v.AddFile(root, "WHEN    TXT", "when");
                  PutLe16(e + 24, static_cast<uint16_t>(20 << 9 | 13 << 5 | 1));   // 2000-13-01
                  PutLe16(e + 22, static_cast<uint16_t>(25 << 11 | 61 << 5 | 31)); },  // 25:61:62
       {{"WHEN.TXT", "when"}}, {"WHEN.TXT\t4\t2000-12-01 23:59:59\tok"}, {"2000-13-01 25:61:62"}, {}, false, 1, 1},
      {"a folder whose short name is spaces, and '.   TXT'",
       [](V& v) { V::Folder root = V::Root();
                  V::Folder blank = v.AddFolder(root, "           ");
                  v.AddFile(blank, "IN      TXT", "in");
                  v.AddFile(root, ".       TXT", "dot ext"); },
       {{"_/", ""}, {"_/IN.TXT", "in"}, {"..TXT", "dot ext"}}, {"_/\t0\t", "_/IN.TXT\t2\t", "..TXT\t7\t"}, {}, {}, false},
      {"a control character and a written-out one",
       [](V& v) { V::Folder root = V::Root();
                  v.AddFile(root, "\x01" "BAD    TXT", "control");
                  v.AddFile(root, "X01~1   TXT", "text", "a\\x01.txt"); },
       {{"_BAD.TXT", "control"}, {"a_x01.txt", "text"}}, {"\\x01BAD.TXT\t7\t", "a\\\\x01.txt\t4\t"}, {}, {}, false},
      {"a folder in another folder's clusters",
       [](V& v) { V::Folder root = V::Root();
                  V::Folder a = v.AddFolder(root, "A          ");
                  v.AddFile(a, "IN      TXT", "inside");
                  v.AddEntry(root, "B          ", 0x10, static_cast<uint16_t>(a.sector - 33 + 2), 0); },
       {{"A/", ""}, {"A/IN.TXT", "inside"}, {"B/", ""}, {"B/IN.TXT", "inside"}}, {"B/IN.TXT\t6\t"},
       {"B/: 簇链与其他文件或目录交叉链接"}, {}, false, 1, 1},
      {"a loop of three clusters",
       [](V& v) { V::Folder root = V::Root();
                  v.AddFile(root, "LOOP    BIN", Repeat("x", 1536));
                  v.SetNext(4, 2); },
       {{"LOOP.BIN", Repeat("x", 1536)}}, {"LOOP.BIN\t1536\t"}, {"LOOP.BIN: 簇链有循环"}, {}, false, 1, 1, {}, {"长于"}},
      {"a damaged map",
       [](V& v) { V::Folder root = V::Root(); v.AddFile(root, "KEPT    TXT", "kept"); },
       {{"KEPT.TXT", "kept"}}, {"KEPT.TXT\t4\t"}, {"各文件的损坏只按映像文件中的标记块判断"}, {}, false, 0, 0,
       "not a map\n", {"不能继续上次的读取"}},
      {"paths by short name, with a slash, in another case, one missing",
       [](V& v) { V::Folder root = V::Root();
                  v.AddFile(root, "LONGNA~1TEX", "long", "Long name.text");
                  v.AddFile(root, "CAFRSU~1TXT", "café", "CAFÉ RÉSUMÉ.TXT");
                  v.AddFile(root, "OTHER   TXT", "other"); },
       {{"Long name.text", "long"}, {"CAFÉ RÉSUMÉ.TXT", "café"}}, {}, {"missing.txt: 磁盘上没有这个文件或目录。"},
       {"/longna~1.tex", "café résumé.txt", "missing.txt"}, false, 0, 1},
      {"an empty disk with a label",
       [](V& v) { V::Folder root = V::Root(); v.AddEntry(root, "EMPTY      ", 0x08, 0, 0); },
       {}, {"卷标: EMPTY\n磁盘上没有文件。\n"}, {}, {}, false},
  };
  env["TZ"] = "UTC";
  for (const HostileVolume& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("out"));
    fs::remove_all(Path("ref"));
    CraftedVolume volume;
    c.build(volume);
    WriteWhole(Path("disk.img"), volume.Image());
    fs::remove(Path("disk.img.map"));
    if (!c.map.empty()) WriteWhole(Path("disk.img.map"), c.map);

    ProgramRun listed = Diskelle({"--files", Path("disk.img")});
    EXPECT_EQ(listed.exitCode, c.listExit) << listed.err;
    for (const std::string& line : c.listed) EXPECT_TRUE(Contains(listed.out, line)) << line << "\n" << listed.out;
    std::vector<std::string> arguments{"--extract", Path("disk.img"), Path("out")};
    if (c.force) arguments.insert(arguments.begin() + 1, "--force");
    arguments.insert(arguments.end(), c.paths.begin(), c.paths.end());
    ProgramRun extracted = Diskelle(arguments);
    EXPECT_EQ(extracted.exitCode, c.extractExit) << extracted.err;
    const std::string said = listed.err + extracted.err;
    for (const std::string& text : c.said) EXPECT_TRUE(Contains(said, text)) << text << "\n" << said;
    for (const std::string& text : c.unsaid) EXPECT_FALSE(Contains(said, text)) << text << "\n" << said;
    const Tree tree = TreeOf(Path("out"));
    if (c.judged) {
      ProgramOptions options;
      options.env = {{"MTOOLS_SKIP_CHECK", "1"}};
      fs::create_directory(Path("ref"));
      const std::string copy = "mcopy -s -m -i '" + Path("disk.img") + "' '::/*' '" + Path("ref/") + "'";
      ASSERT_EQ(RunProgram("/bin/sh", {"-c", copy}, options).exitCode, 0) << copy;
      EXPECT_EQ(tree, TreeOf(Path("ref")));
    } else {
      EXPECT_EQ(tree, c.tree);
    }
    EXPECT_EQ(UnfinishedSaves(), std::vector<std::string>{});
    // A file gets the time it is listed with.
    std::istringstream lines(listed.out);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t tab = line.find('\t');
      if (tab == std::string::npos || line[tab - 1] == '/') continue;
      struct stat info {};
      if (::stat(Path("out/" + line.substr(0, tab)).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
      char shown[32];
      std::strftime(shown, sizeof shown, "%Y-%m-%d %H:%M:%S", std::gmtime(&info.st_mtime));
      EXPECT_EQ(line.substr(line.find('\t', tab + 1) + 1, 19), shown) << line;
    }
  }
}

}  // namespace
