// Extraction as the files window runs it, on every system: entries whose names collide are all written and
// named in the closing message, and replacing what was there (after the question) keeps each at its own name.

#include <gtest/gtest.h>

#include "filesystem/ExtractionRun.h"
#include "support/CraftedVolume.h"
#include "support/ImageTestSupport.h"

namespace {

using ExtractionRun = ImageFolder;

TEST_F(ExtractionRun, CollidingNamesAreAllWrittenAndNamedAndReplacedInPlace) {
  CraftedVolume crafted;
  CraftedVolume::Folder root = CraftedVolume::Root();
  crafted.AddFile(root, "DUP     TXT", "one");
  crafted.AddFile(root, "DUP     TXT", "two");
  crafted.AddFile(root, "AB~1    TXT", "slash", "a/b.txt");
  crafted.AddFile(root, "A_B     TXT", "plain", "a_b.txt");
  std::optional<FatVolume> volume = FatVolume::Read({crafted.bytes, {}});
  ASSERT_TRUE(volume);
  // A first run into the empty folder, then two over it: replacing refused, then allowed.
  const struct {
    bool replace;
    int asked, written;
  } runs[] = {{false, 0, 4}, {false, 4, 0}, {true, 4, 4}};
  for (const auto& run : runs) {
    int asked = 0;
    const ExtractionSummary summary = ExtractChosen(*volume, {}, dir, [&](const std::vector<std::string>& paths) {
      asked += static_cast<int>(paths.size());
      return run.replace;
    });
    EXPECT_EQ(summary.written, run.written);
    EXPECT_EQ(asked, run.asked);
    const std::vector<std::string> renamed{"DUP.TXT -> DUP (2).TXT", "a_b.txt -> a_b (2).txt"};
    EXPECT_EQ(summary.renamed, run.written > 0 ? renamed : std::vector<std::string>{});
    EXPECT_EQ(ExtractionMessage(summary, dir).find("改名写入:\nDUP.TXT -> DUP (2).TXT\n") != std::string::npos,
              run.written > 0);
    EXPECT_EQ(ReadWhole(Path("DUP.TXT")), "one");
    EXPECT_EQ(ReadWhole(Path("DUP (2).TXT")), "two");
    EXPECT_EQ(ReadWhole(Path("a_b.txt")), "plain");
    EXPECT_EQ(ReadWhole(Path("a_b (2).txt")), "slash");
  }
}

}  // namespace
