// The trailer on files: reading, appending, removing, the CRC-32 and the preview's description reader.
#include <gtest/gtest.h>

#include "base/File.h"
#include "base/Texts.h"
#include "image/ImageInfo.h"
#include "image/trailer/Trailer.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

CImageInfo At(const std::string& path) {
  CImageInfo info;
  info.m_path = path;
  return info;
}

class TrailerFile : public ImageFolder {};

TEST_F(TrailerFile, Crc32MatchesTheReferenceForEverySize) {
  std::string path = Path("data.img");
  WriteWhole(path, "123456789");
  uint32_t crc = 0;
  ASSERT_EQ(At(path).ComputeCrc32(false, crc), 0);
  EXPECT_EQ(crc, 0xCBF43926u);  // the standard check value

  // Sizes around the chunk and trailer boundaries.
  for (std::size_t size : {1u, 1023u, 1024u, 1025u, 2048u, 65535u, 65536u, 65537u, 200000u}) {
    std::string bytes = FloppyBytes(size, static_cast<uint32_t>(size));
    WriteWhole(path, bytes);
    ASSERT_EQ(At(path).ComputeCrc32(false, crc), 0) << size;
    EXPECT_EQ(crc, ReferenceCrc(bytes)) << size;
    if (size > 1024) {
      ASSERT_EQ(At(path).ComputeCrc32(true, crc), 0) << size;
      EXPECT_EQ(crc, ReferenceCrc(std::string_view(bytes).substr(0, size - 1024))) << size;
    }
  }
}

TEST_F(TrailerFile, Crc32RefusesWhatItCannotCheck) {
  struct Case {
    std::size_t size;  // SIZE_MAX: no file
    bool excludeTrailer;
  } cases[] = {{SIZE_MAX, false}, {0, false}, {0, true}, {1000, true}, {1024, true}};
  for (const Case& c : cases) {
    std::string path = Path("crc-" + std::to_string(c.size) + ".img");
    if (c.size != SIZE_MAX) WriteWhole(path, std::string(c.size, 'x'));
    uint32_t crc = 0x55;
    EXPECT_EQ(At(path).ComputeCrc32(c.excludeTrailer, crc), -1) << c.size;
    EXPECT_EQ(crc, 0x55u);
  }
}

TEST_F(TrailerFile, WrittenTrailerCarriesTheChecksumOfTheDataBeforeIt) {
  std::string path = Path("盘.img");
  std::string data = FloppyBytes(368640, 3);
  WriteWhole(path, data);
  CImageInfo info = At(path);
  info.m_description = "软盘映像 ] [x";
  info.m_sectorsPerTrack = 9;
  info.m_tracks = 40;
  info.m_totalBytes = 362496;
  info.m_freeBytes = 1024;
  FakeMessageBoxes boxes;
  ASSERT_EQ(info.WriteTrailer(boxes), 0);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(info.m_checksum, ReferenceCrc(data));
  std::string file = ReadWhole(path);
  ASSERT_EQ(file.size(), data.size() + 1024);
  EXPECT_EQ(file.substr(0, data.size()), data);
  EXPECT_EQ(file.substr(data.size()), FormatTrailer(info));

  CImageInfo read = At(path);
  read.m_description = "stale";
  read.m_tracks = 1;
  ASSERT_EQ(read.ReadTrailer(), 0);
  EXPECT_EQ(read.m_hasTrailer, 1);
  EXPECT_EQ(read.m_description, info.m_description);
  EXPECT_EQ(read.m_sectorsPerTrack, 9);
  EXPECT_EQ(read.m_tracks, 40);
  EXPECT_EQ(read.m_totalBytes, 362496);
  EXPECT_EQ(read.m_freeBytes, 1024);
  EXPECT_EQ(read.m_checksum, info.m_checksum);
  uint32_t crc = 0;
  ASSERT_EQ(read.ComputeCrc32(true, crc), 0);
  EXPECT_EQ(crc, read.m_checksum);

  // Removing the trailer and writing it again reproduces the same block.
  ASSERT_EQ(RemoveTrailer(path), 0);
  EXPECT_EQ(ReadWhole(path), data);
  ASSERT_EQ(read.WriteTrailer(boxes), 0);
  EXPECT_EQ(ReadWhole(path), file);
}

TEST_F(TrailerFile, WriteTrailerWithoutChecksumWritesNothing) {
  for (const char* name : {"empty.img", "missing.img"}) {
    std::string path = Path(name);
    if (std::string_view(name) == "empty.img") WriteWhole(path, "");
    CImageInfo info = At(path);
    FakeMessageBoxes boxes;
    EXPECT_EQ(info.WriteTrailer(boxes), -1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].textId, kTextCannotComputeCrc);
    EXPECT_EQ(boxes.Boxes()[0].text, "不能获取 CRC32 检验和给 " + path + "。");
    EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Error);
    EXPECT_EQ(ReadWhole(path), "");
  }
  EXPECT_EQ(FileNames(), std::vector<std::string>{"empty.img"});
}

TEST_F(TrailerFile, ReadTrailerResults) {
  std::string image = FloppyBytes(4096);
  struct Case {
    const char* name;
    std::string contents;  // "-" for no file
    int result;
    int hasTrailer;
    std::string description;
    int32_t sectors, tracks;
  } cases[] = {
      {"no file", "-", -1, 0, "", 18, 80},
      {"empty", "", -1, 0, "", 18, 80},
      {"1023 bytes", std::string(1023, 'a'), -1, 0, "", 18, 80},
      {"no trailer", image, 0, 0, "", 18, 80},
      {"trailer only", Block("[FileVersion 003] [Description d\x01] [SectorsPerTrack 9] [Tracks 40]"), 0, 1, "d",
       9, 40},
      {"image and trailer",
       image + Block("[FileVersion 003] [Description \xC8\xED\xC5\xCC\x01] [SectorsPerTrack 21] [Tracks 80]"), 0, 1,
       "软盘", 21, 80},
      {"newer", image + Block("[FileVersion 004] [Description d\x01] [SectorsPerTrack 9]"), -2, 1, "", 18, 80},
      {"trailer not at the end", Block("[FileVersion 003] [Description d\x01]") + "x", 0, 0, "", 18, 80},
  };
  for (const Case& c : cases) {
    std::string path = Path("read.img");
    RemoveFile(path);
    if (c.contents != "-") WriteWhole(path, c.contents);
    CImageInfo info = At(path);
    info.m_description = "stale";
    info.m_hasTrailer = 1;
    info.m_sectorsPerTrack = 5;
    info.m_tracks = 5;
    info.m_checksum = 5;
    info.m_totalBytes = info.m_freeBytes = 5;
    EXPECT_EQ(info.ReadTrailer(), c.result) << c.name;
    EXPECT_EQ(info.m_hasTrailer, c.hasTrailer) << c.name;
    EXPECT_EQ(info.m_description, c.description) << c.name;
    EXPECT_EQ(info.m_sectorsPerTrack, c.sectors) << c.name;
    EXPECT_EQ(info.m_tracks, c.tracks) << c.name;
    EXPECT_EQ(info.m_checksum, 0u) << c.name;
    EXPECT_EQ(info.m_totalBytes, 0) << c.name;
    EXPECT_EQ(info.m_freeBytes, 0) << c.name;
    if (c.contents != "-") {
      EXPECT_EQ(ReadWhole(path), c.contents) << c.name;  // the reader never writes
    }
  }
}

TEST_F(TrailerFile, RemoveTrailerCutsTheLastBlockOnly) {
  struct Case {
    std::string contents;  // "-" for no file
    int result;
    std::size_t sizeAfter;
  } cases[] = {{"-", -1, 0}, {std::string(1023, 'a'), -1, 1023}, {std::string(1024, 'a'), 0, 0},
               {std::string(5000, 'a'), 0, 3976}};
  for (const Case& c : cases) {
    std::string path = Path("cut.img");
    RemoveFile(path);
    if (c.contents != "-") WriteWhole(path, c.contents);
    EXPECT_EQ(RemoveTrailer(path), c.result) << c.contents.size();
    if (c.contents != "-") {
      EXPECT_EQ(ReadWhole(path), c.contents.substr(0, c.sizeAfter));
    }
  }
}

TEST_F(TrailerFile, DescriptionOnlyForThePreview) {
  std::string image = FloppyBytes(2048);
  struct Case {
    const char* name;
    std::string contents;  // "-" for no file
    DescriptionPreview result;
    std::string description;
  } cases[] = {
      {"no file", "-", DescriptionPreview::Unreadable, ""},
      {"empty", "", DescriptionPreview::Unreadable, ""},
      {"short", "abc", DescriptionPreview::NoTrailer, ""},
      {"no trailer", image, DescriptionPreview::NoTrailer, ""},
      {"newer", image + Block("[FileVersion 004] [Description d\x01]"), DescriptionPreview::NewerVersion, ""},
      {"empty description", image + Block("[FileVersion 003] [Description \x01] [SectorsPerTrack 9]"),
       DescriptionPreview::Empty, ""},
      {"no description tag", image + Block("[FileVersion 002] [SectorsPerTrack 9]"), DescriptionPreview::Empty, ""},
      {"version 3", image + Block("[FileVersion 003] [Description \xC8\xED\xC5\xCC ]\x01] [Tracks 1]"),
       DescriptionPreview::Shown, "软盘 ]"},
      {"version 2", image + Block("[FileVersion 002] [Description two\x01]"), DescriptionPreview::Shown, "two"},
  };
  for (const Case& c : cases) {
    std::string path = Path("preview.imz");
    RemoveFile(path);
    if (c.contents != "-") WriteWhole(path, c.contents);
    FakeMessageBoxes boxes;
    std::string description = "stale";
    EXPECT_EQ(ReadDescriptionOnly(path, description, boxes), c.result) << c.name;
    EXPECT_EQ(description, c.description) << c.name;
    if (c.result == DescriptionPreview::NewerVersion) {
      ASSERT_EQ(boxes.Boxes().size(), 1u);
      EXPECT_EQ(boxes.Boxes()[0].textId, kTextNewerVersion);
      EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Exclamation);
    } else {
      EXPECT_TRUE(boxes.Boxes().empty()) << c.name;
    }
  }
}

}  // namespace
