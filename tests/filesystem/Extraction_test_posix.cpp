// Extraction as a hostile disk would try it: names that climb out of the folder or name drives, a link
// planted where a file is to go, a file that is already there.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "base/LittleEndian.h"
#include "filesystem/Extraction.h"
#include "filesystem/Fat12.h"
#include "support/ImageTestSupport.h"

namespace {

TEST(Extraction, NamesAreMadeSafe) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "_"}, {".", "_"}, {"..", "_"}, {"a/b", "a_b"}, {"..\\..\\x", ".._.._x"},
      {"C:", "C_"}, {"tab\there\x7f", "tab_here_"}, {"中文 名.txt", "中文 名.txt"},
      {"what?*<>|\"", "what______"}, {"dots...", "dots.._"}, {"space ", "space_"}, {".hidden", ".hidden"}};
  for (const auto& [name, safe] : cases) EXPECT_EQ(SafeFileName(name), safe) << name;
}

class ExtractionTest : public ImageFolder {};

TEST_F(ExtractionTest, NothingOutsideTheFolderOrExistingIsTouched) {
  std::vector<uint8_t> bytes = BlankFat12Volume({80, 18});
  const char* names[] = {"UP/..   TXT", "C:EVIL  TXT", "\x01" "BAD    TXT", "LINK    TXT", "KEEP    TXT"};
  for (int i = 0; i < 5; ++i) {
    uint8_t* e = &bytes[19 * 512 + i * 32];
    std::memcpy(e, names[i], 11);
    e[11] = 0x20;
    PutLe16(e + 26, static_cast<uint16_t>(2 + i));
    PutLe32(e + 28, 5);
    const uint32_t cluster = 2 + i;
    for (int copy = 0; copy < 2; ++copy) {  // each file one cluster: end of chain
      uint8_t* at = &bytes[(1 + copy * 9) * 512 + cluster * 3 / 2];
      PutLe16(at, static_cast<uint16_t>(cluster % 2 ? (GetLe16(at) & 0x000F) | 0xFFF0 : (GetLe16(at) & 0xF000) | 0x0FFF));
    }
    std::memcpy(&bytes[(33 + i) * 512], ("data" + std::to_string(i)).c_str(), 5);
  }
  std::optional<FatVolume> volume = FatVolume::Read({bytes, {}});
  ASSERT_TRUE(volume);
  const std::string out = Path("out");
  std::filesystem::create_directory(out);
  WriteWhole(Path("outside.txt"), "secret");
  ASSERT_EQ(::symlink("../outside.txt", (out + "/LINK.TXT").c_str()), 0);
  WriteWhole(out + "/KEEP.TXT", "old");
  std::vector<int> all{0, 1, 2, 3, 4};

  for (bool replace : {false, true}) {
    ExtractOptions options;
    options.replace = replace;
    std::vector<ExtractResult> results = ExtractEntries(*volume, all, out, options).results;
    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(results[3].outcome, ExtractOutcome::Exists);
    EXPECT_EQ(results[4].outcome, replace ? ExtractOutcome::Written : ExtractOutcome::Exists);
    EXPECT_EQ(ReadWhole(out + "/KEEP.TXT"), replace ? "data4" : "old");
  }
  EXPECT_EQ(ReadWhole(Path("outside.txt")), "secret");
  EXPECT_EQ(ReadWhole(out + "/UP_...TXT"), "data0");
  EXPECT_EQ(ReadWhole(out + "/C_EVIL.TXT"), "data1");
  EXPECT_EQ(ReadWhole(out + "/_BAD.TXT"), "data2");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("")), std::filesystem::directory_iterator()), 2);
}

}  // namespace
