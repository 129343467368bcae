// What the files window and the report show of a disk mtools made, and extraction as the window runs it:
// damaged files named, existing files replaced only when the question is answered Yes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "base/File.h"
#include "filesystem/ExtractionRun.h"
#include "filesystem/FileRows.h"
#include "base/BadSectorMarker.h"
#include "support/ImageTestSupport.h"

namespace {

class FilesWindow : public ImageFolder {
 protected:
  // A 1.44 MB disk: README.TXT (5000 bytes), DOCS/, DOCS/BIG.BIN (3000 bytes) with its second sector bad.
  std::optional<FatVolume> MakeVolume() {
    if (std::system("command -v mformat >/dev/null && command -v mcopy >/dev/null") != 0) return Fail("no mtools");
    WriteWhole(Path("README.TXT"), std::string(5000, 'r'));
    WriteWhole(Path("BIG.BIN"), std::string(3000, 'b'));
    const std::string image = Path("disk.img"), in = " -i '" + image + "' ";
    const std::string make = "mformat -C -f 1440" + in + ":: && mmd" + in + "::DOCS && mcopy" + in + "'" +
                             Path("README.TXT") + "' :: && mcopy" + in + "'" + Path("BIG.BIN") + "' ::DOCS/";
    if (std::system(make.c_str()) != 0) return Fail("mtools failed");
    std::string raw = ReadWhole(image);
    std::optional<FatVolume> clean = FatVolume::Read({std::vector<uint8_t>(raw.begin(), raw.end()), {}});
    if (!clean) return Fail("mtools made no FAT volume");
    uint32_t cluster = 0;
    for (const FatEntry& entry : clean->Entries()) {
      if (entry.path == "DOCS/BIG.BIN") cluster = entry.firstCluster;
    }
    // One sector per cluster; the data area begins at sector 33.
    const std::size_t sector = 33 + cluster - 2 + 1;
    DiskSectors disk{std::vector<uint8_t>(raw.begin(), raw.end()), std::vector<bool>(2880, false)};
    FillBadSectorMarker(disk.bytes.data() + sector * 512);
    disk.bad[sector] = true;
    return FatVolume::Read(std::move(disk));
  }
  std::optional<FatVolume> Fail(const char* why) {
    ADD_FAILURE() << why;
    return std::nullopt;
  }
};

int IndexOf(const FatVolume& volume, const std::string& path) {
  for (std::size_t i = 0; i < volume.Entries().size(); ++i) {
    if (volume.Entries()[i].path == path) return static_cast<int>(i);
  }
  return -1;
}

TEST(FileRows, GroupsDigitsByThousands) {
  const std::pair<uint64_t, const char*> cases[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1474560, "1,474,560"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(GroupedDigits(value), text);
}

TEST_F(FilesWindow, RowsShowTheFolderAndNameTheDamagedFile) {
  std::optional<FatVolume> made = MakeVolume();
  ASSERT_TRUE(made);
  const FatVolume& volume = *made;
  std::vector<FileRow> root = FolderRows(volume, -1);
  ASSERT_EQ(root.size(), 2u);
  const FileRow& docs = root[0].name == "DOCS" ? root[0] : root[1];
  const FileRow& readme = root[0].name == "DOCS" ? root[1] : root[0];
  EXPECT_EQ(docs.size, "");
  EXPECT_LT(docs.nameKey, readme.nameKey);  // folders before files
  EXPECT_EQ(readme.name, "README.TXT");
  EXPECT_EQ(readme.size, "5,000");
  EXPECT_EQ(readme.state, "完好");
  EXPECT_FALSE(readme.damaged);
  std::vector<FileRow> inDocs = FolderRows(volume, IndexOf(volume, "DOCS/"));
  ASSERT_EQ(inDocs.size(), 1u);
  EXPECT_EQ(inDocs[0].state, "已损坏 (1/6 扇区)");
  EXPECT_TRUE(inDocs[0].damaged);
  EXPECT_GT(inDocs[0].stateKey, readme.stateKey);

  std::vector<FileRow> damaged = DamagedRows(volume);
  ASSERT_EQ(damaged.size(), 1u);
  EXPECT_EQ(damaged[0].name, "DOCS/BIG.BIN");
  EXPECT_EQ(AreasSummary(volume), "坏扇区: 文件: 1 个坏扇区");
  EXPECT_EQ(VolumeSummary(volume), "2 个文件，1 个文件夹；1 个已损坏，0 个位置不明");
}

TEST_F(FilesWindow, ExtractsAllOrTheChosenAndReplacesOnlyWhenAllowed) {
  std::optional<FatVolume> made = MakeVolume();
  ASSERT_TRUE(made);
  const FatVolume& volume = *made;
  const std::string all = Path("all");
  ASSERT_EQ(std::system(("mkdir '" + all + "'").c_str()), 0);
  int asked = 0;
  auto answer = [&asked](bool yes) {
    return [&asked, yes](const std::vector<std::string>& existing) {
      asked += static_cast<int>(existing.size());
      return yes;
    };
  };
  ExtractionSummary first = ExtractChosen(volume, {}, all, answer(false));
  EXPECT_EQ(first.written, 2);
  EXPECT_EQ(first.damaged, std::vector<std::string>{"DOCS/BIG.BIN"});
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(ReadWhole(all + "/README.TXT"), std::string(5000, 'r'));
  const std::string big = ReadWhole(all + "/DOCS/BIG.BIN");
  ASSERT_EQ(big.size(), 3000u);
  EXPECT_TRUE(IsBadSectorMarker(reinterpret_cast<const uint8_t*>(big.data()) + 512));
  EXPECT_NE(ExtractionMessage(first, all).find("DOCS/BIG.BIN"), std::string::npos);

  WriteWhole(all + "/README.TXT", "changed");
  ExtractionSummary refused = ExtractChosen(volume, {}, all, answer(false));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(refused.written, 0);
  EXPECT_EQ(refused.kept.size(), 2u);
  EXPECT_EQ(ReadWhole(all + "/README.TXT"), "changed");
  ExtractionSummary replaced = ExtractChosen(volume, {}, all, answer(true));
  EXPECT_EQ(replaced.written, 2);
  EXPECT_TRUE(replaced.kept.empty());
  EXPECT_EQ(ReadWhole(all + "/README.TXT"), std::string(5000, 'r'));

  const std::string one = Path("one");
  ASSERT_EQ(std::system(("mkdir '" + one + "'").c_str()), 0);
  ExtractionSummary chosen = ExtractChosen(volume, {IndexOf(volume, "DOCS/BIG.BIN")}, one, answer(false));
  EXPECT_EQ(chosen.written, 1);
  EXPECT_EQ(ReadWhole(one + "/DOCS/BIG.BIN").size(), 3000u);
  EXPECT_EQ(UseOfName(one + "/README.TXT"), NameUse::Free);
}

}  // namespace
