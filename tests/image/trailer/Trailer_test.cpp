#include "image/ImageInfo.h"
#include "image/trailer/Trailer.h"

#include <gtest/gtest.h>

#include "support/ImageTestSupport.h"

namespace {

const uint8_t* Bytes(const std::string& block) { return reinterpret_cast<const uint8_t*>(block.data()); }

CImageInfo Record(std::string description, int32_t sectors, int32_t tracks, int32_t total, int32_t free,
                  uint32_t checksum) {
  CImageInfo info;
  info.m_description = std::move(description);
  info.m_sectorsPerTrack = sectors;
  info.m_tracks = tracks;
  info.m_totalBytes = total;
  info.m_freeBytes = free;
  info.m_checksum = checksum;
  return info;
}

TEST(Trailer, SetupExampleIsExact) {
  std::string expected = Block(
      "[FileVersion 003] [Description Setup\x01] [SectorsPerTrack 18] [Tracks 80] [TotalBytes 0] [FreeBytes 0] "
      "[Checksum 0]");
  EXPECT_EQ(FormatTrailer(Record("Setup", 18, 80, 0, 0, 0)), expected);
}

TEST(Trailer, FieldsAreWrittenAsDecimalAndLowerCaseHex) {
  struct Case {
    CImageInfo info;
    std::string text;
  } cases[] = {
      {Record("", 9, 40, 362496, 1024, 0xCBF43926),
       "[FileVersion 003] [Description \x01] [SectorsPerTrack 9] [Tracks 40] [TotalBytes 362496] "
       "[FreeBytes 1024] [Checksum 0xcbf43926]"},
      {Record("软盘", 21, 80, -2, 2147483647, 1),  // a byte count past 2 GB arrives as its low 32 bits
       "[FileVersion 003] [Description \xC8\xED\xC5\xCC\x01] [SectorsPerTrack 21] [Tracks 80] "
       "[TotalBytes -2] [FreeBytes 2147483647] [Checksum 0x1]"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatTrailer(c.info), Block(c.text));
}

TEST(Trailer, DescriptionsSurviveWritingAndReading) {
  struct Case {
    std::string written;
    std::string read;  // system code page
  } cases[] = {
      {"Setup", "Setup"},
      {"Disk 1] [Tracks 40] with blanks", "Disk 1] [Tracks 40] with blanks"},
      {std::string(255, 'a'), std::string(255, 'a')},
      {std::string(300, 'b'), std::string(255, 'b')},
      {std::string(254, 'c') + "软", std::string(254, 'c')},  // the double-byte character would not fit
      {std::string(253, 'c') + "软", std::string(253, 'c') + "\xC8\xED"},
      {std::string("cut\x01here", 8), "cut"},
      {std::string("nul\0here", 8), "nul"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string block = FormatTrailer(Record(c.written, 15, 80, 1213952, 512, 0x1234));
    ASSERT_EQ(block.size(), static_cast<std::size_t>(kTrailerBytes));
    TrailerFields fields = ParseTrailer(Bytes(block));
    EXPECT_EQ(fields.kind, TrailerFields::Kind::Known);
    EXPECT_EQ(fields.description, c.read) << c.written;
    EXPECT_EQ(fields.sectorsPerTrack, 15);
    EXPECT_EQ(fields.tracks, 80);
    EXPECT_EQ(fields.totalBytes, 1213952);
    EXPECT_EQ(fields.freeBytes, 512);
    EXPECT_EQ(fields.checksum, 0x1234u);
  }
}

TEST(Trailer, TagsInsideADescriptionAreNotFields) {
  std::string block = FormatTrailer(Record("[SectorsPerTrack 9] [Tracks 40] [Checksum 0x5]", 18, 80, 0, 0, 7));
  TrailerFields fields = ParseTrailer(Bytes(block));
  EXPECT_EQ(fields.description, "[SectorsPerTrack 9] [Tracks 40] [Checksum 0x5]");
  EXPECT_EQ(fields.sectorsPerTrack, 18);
  EXPECT_EQ(fields.tracks, 80);
  EXPECT_EQ(fields.checksum, 7u);
}

TEST(Trailer, VersionsAndDamagedBlocks) {
  struct Case {
    const char* name;
    std::string block;
    TrailerFields::Kind kind;
    std::string description;
    int32_t sectors, tracks, total, free;
    uint32_t checksum;
  };
  using K = TrailerFields::Kind;
  std::string version1 = Block("[FileVersion 001]");
  version1.replace(32, 11, "Old disk A\x01");
  std::string noNul(kTrailerBytes, 'x');
  const std::string noNulHead = "[FileVersion 2] [Description abc\x01";
  noNul.replace(0, noNulHead.size(), noNulHead);
  std::string afterNul = Block("[FileVersion 003] [Description a\x01]");
  afterNul.replace(40, 20, "[SectorsPerTrack 9] ");  // beyond the end of the text
  Case cases[] = {
      {"no tag", Block("[Fileversion 003] [Description x\x01]"), K::None, "", 18, 80, 0, 0, 0},
      {"empty block", Block(""), K::None, "", 18, 80, 0, 0, 0},
      {"tag only", Block("[FileVersion "), K::Known, "", 18, 80, 0, 0, 0},
      {"version 0", Block("[FileVersion 000] [Description x\x01] [SectorsPerTrack 9]"), K::Known, "", 18, 80, 0,
       0, 0},
      {"negative version", Block("[FileVersion -1] [Description x\x01]"), K::Known, "", 18, 80, 0, 0, 0},
      {"version 4", Block("[FileVersion 004] [Description x\x01]"), K::Newer, "", 18, 80, 0, 0, 0},
      {"huge version", Block("[FileVersion 99999999999999999999]"), K::Newer, "", 18, 80, 0, 0, 0},
      {"version 1", version1, K::Known, "Old disk A\x01", 18, 80, 0, 0, 0},
      {"version 1, short", Block("[FileVersion 1]"), K::Known, "", 18, 80, 0, 0, 0},
      {"version 1 ignores later tags", Block("[FileVersion 1] [Description x\x01] [SectorsPerTrack 9]"), K::Known,
       " [SectorsPerTrack 9]", 18, 80, 0, 0, 0},
      {"version 2 reads two fields",
       Block("[FileVersion 002] [Description Two\x01] [SectorsPerTrack 9] [Tracks 40] [Checksum 0x5]"), K::Known,
       "Two", 9, 80, 0, 0, 0},
      {"version 3 leading blanks",
       Block("[FileVersion   3] [Description d\x01] [SectorsPerTrack   10] [Tracks 81] [TotalBytes 5] "
             "[FreeBytes -7] [Checksum ABCDEF01]"),
       K::Known, "d", 10, 81, 5, -7, 0xABCDEF01},
      {"description without end", Block("[FileVersion 003] [Description open] [SectorsPerTrack 9] [Tracks 40]"),
       K::Known, "", 9, 40, 0, 0, 0},
      {"no description", Block("[FileVersion 003] [SectorsPerTrack 9] [Tracks 40]"), K::Known, "", 9, 40, 0, 0,
       0},
      {"missing tracks", Block("[FileVersion 003] [Description d\x01] [SectorsPerTrack 9] [TotalBytes 7] "
                               "[FreeBytes 3] [Checksum 0x10]"),
       K::Known, "d", 9, 80, 7, 3, 0x10},
      {"fields out of order", Block("[FileVersion 003] [Tracks 40] [Description d\x01] [SectorsPerTrack 9]"),
       K::Known, "d", 9, 80, 0, 0, 0},
      {"numbers without digits", Block("[FileVersion 003] [Description d\x01] [SectorsPerTrack x] [Tracks ]"),
       K::Known, "d", 0, 0, 0, 0, 0},
      {"numbers too large",
       Block("[FileVersion 003] [Description d\x01] [SectorsPerTrack 99999999999] [Tracks -99999999999] "
             "[Checksum 0x1FFFFFFFFF]"),
       K::Known, "d", INT32_MAX, INT32_MIN, 0, 0, 0xFFFFFFFF},
      {"checksum zero", Block("[FileVersion 003] [Description d\x01] [Checksum 0]"), K::Known, "d", 18, 80, 0, 0,
       0},
      {"text ends at the first NUL", afterNul, K::Known, "a", 18, 80, 0, 0, 0},
      {"no NUL in 1024 bytes", noNul, K::Known, "abc", 18, 80, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.block.size(), static_cast<std::size_t>(kTrailerBytes)) << c.name;
    TrailerFields fields = ParseTrailer(Bytes(c.block));
    EXPECT_EQ(fields.kind, c.kind) << c.name;
    EXPECT_EQ(fields.description, c.description) << c.name;
    EXPECT_EQ(fields.sectorsPerTrack, c.sectors) << c.name;
    EXPECT_EQ(fields.tracks, c.tracks) << c.name;
    EXPECT_EQ(fields.totalBytes, c.total) << c.name;
    EXPECT_EQ(fields.freeBytes, c.free) << c.name;
    EXPECT_EQ(fields.checksum, c.checksum) << c.name;
  }
}

}  // namespace
