#include "app/BadSectorReport.h"

#include <gtest/gtest.h>

namespace {

TEST(BadSectorReport, RowsAndStatistics) {
  struct Case {
    std::vector<uint32_t> offsets;
    FloppyGeometry geometry;
    std::vector<std::string> sectorTexts;  // in list order
    std::vector<std::string> sides;
    const char* total;
    const char* size;
    const char* distribution;
  } cases[] = {
      {{}, {80, 18}, {}, {}, "0 / 2880 (0.00%)", "0.0kB / 1440kB", "0 高 (0%) - 0 低 (0%)"},
      {{0}, {80, 18}, {"1 / 0 字节 (0.0 kB)"}, {"高"}, "1 / 2880 (0.03%)", "0.5kB / 1440kB", "1 高 (100%) - 0 低 (0%)"},
      {{512}, {80, 18}, {"2 / 512 字节 (0.5 kB)"}, {"低"}, "1 / 2880 (0.03%)", "0.5kB / 1440kB",
       "0 高 (0%) - 1 低 (100%)"},
      {{18944}, {80, 18}, {"38 / 18944 字节 (18.5 kB)"}, {"低"}, "1 / 2880 (0.03%)", "0.5kB / 1440kB",
       "0 高 (0%) - 1 低 (100%)"},
      // Found out of order, listed by offset; integer percentages may add up to 99.
      {{1024, 0, 512},
       {80, 18},
       {"1 / 0 字节 (0.0 kB)", "2 / 512 字节 (0.5 kB)", "3 / 1024 字节 (1.0 kB)"},
       {"高", "低", "高"},
       "3 / 2880 (0.10%)",
       "1.5kB / 1440kB",
       "2 高 (66%) - 1 低 (33%)"},
      {{368128}, {40, 9}, {"720 / 368128 字节 (359.5 kB)"}, {"低"}, "1 / 720 (0.14%)", "0.5kB / 360kB",
       "0 高 (0%) - 1 低 (100%)"},
  };
  for (const Case& c : cases) {
    BadSectorReportModel report = BuildBadSectorReport(c.offsets, c.geometry);
    ASSERT_EQ(report.rows.size(), c.sectorTexts.size());
    for (std::size_t i = 0; i < report.rows.size(); ++i) {
      EXPECT_EQ(report.rows[i].sectorText, c.sectorTexts[i]);
      EXPECT_EQ(report.rows[i].sideText, c.sides[i]);
    }
    EXPECT_EQ(report.total, c.total);
    EXPECT_EQ(report.size, c.size);
    EXPECT_EQ(report.distribution, c.distribution);
  }
}

TEST(BadSectorReport, SortKeysAreOffsets) {
  BadSectorReportModel report = BuildBadSectorReport({4096, 512, 2048}, {80, 18});
  ASSERT_EQ(report.rows.size(), 3u);
  EXPECT_EQ(report.rows[0].sortKey, 512u);
  EXPECT_EQ(report.rows[1].sortKey, 2048u);
  EXPECT_EQ(report.rows[2].sortKey, 4096u);
}

}  // namespace
