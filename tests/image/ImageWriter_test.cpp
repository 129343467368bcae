// The streaming writer and reader that the disk jobs use, block by block.
#include "image/ImageReader.h"
#include "image/ImageWriter.h"

#include <gtest/gtest.h>

#include "base/File.h"
#include "base/Texts.h"
#include "image/forms/SelfExtractor.h"
#include "image/trailer/Trailer.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

class ImageStream : public ImageFolder {
 protected:
  void SetUp() override {
    ImageFolder::SetUp();
    options.programPath = Path("program.bin");
    WriteProgramFile(options.programPath);
    options.selfExe = &selfExe;
  }
  SelfExeSettings selfExe;
  ImageWriteOptions options;
};

// The checksum is taken from the bytes as they are written, whatever writes them: the form, a compression
// library, the self-extractor's picture stream and texts; a rescued sector written over a marker block.
TEST_F(ImageStream, WrittenBlockByBlockAndReadBackInOtherBlocks) {
  const std::string plain = FloppyBytes(1474560, 12);
  WriteWhole(Path("picture.bmp"), "BM" + FloppyBytes(30000, 9));
  // Blank tracks (the second, and the last three) that a raw image passes over as holes.
  std::string blank = plain;
  for (std::size_t track : {1u, 157u, 158u, 159u}) blank.replace(track * 9216, 9216, 9216, '\0');
  const std::string rescued(512, 'R');
  struct Case {
    const char* name;
    bool compatible;
    bool trailer;
    bool items;       // the self-extractor's picture, licence and instructions
    bool rewritten;   // the sector at 9216 written again after the rest
    bool blanks;      // blank tracks in the image
  } cases[] = {
      {"disk.img", false, true, false, false, false},   {"compatible.img", true, false, false, false, false},
      {"disk.imz", true, true, false, false, false},     {"disk.exe", false, true, false, false, false},
      {"items.exe", false, true, true, false, false},   {"rescued.img", false, true, false, true, false},
      {"blanks.img", false, true, false, false, true},  {"blanks-compatible.img", true, false, false, false, true},
      {"blanks-rescued.img", false, true, false, true, true},
  };
  for (const Case& c : cases) {
    const std::string& raw = c.blanks ? blank : plain;
    std::string path = Path(c.name);
    FakeMessageBoxes boxes;
    options.compatible = c.compatible;
    selfExe.m_customPicture = c.items ? 1 : 0;
    selfExe.m_picturePath = Path("picture.bmp");
    selfExe.m_licenseText = c.items ? "授权 licence" : "";
    selfExe.m_createText = c.items ? "steps" : "";
    ImageWriter writer(boxes, options);
    ASSERT_EQ(writer.Open(path), 0) << c.name;
    EXPECT_FALSE(FileExists(path)) << c.name;  // nothing at the target before the file is complete
    for (std::size_t at = 0; at < raw.size(); at += 9216) ASSERT_EQ(writer.Write(raw.data() + at, 9216), 0);
    std::string expected = raw;
    if (c.rewritten) {
      ASSERT_EQ(writer.Rewrite(9216, rescued.data(), rescued.size()), 0) << c.name;
      expected.replace(9216, rescued.size(), rescued);
    }
    CImageInfo info;
    info.m_description = "read from A:";
    info.m_sectorsPerTrack = 18;
    info.m_tracks = 80;
    ASSERT_EQ(writer.Finish(info), 0) << c.name;
    EXPECT_TRUE(boxes.Boxes().empty());

    std::string file = ReadWhole(path);
    EXPECT_EQ(info.m_hasTrailer, c.trailer ? 1 : 0) << c.name;
    if (c.items) {
      std::optional<SettingsBlock> block = ReadSettingsBlock(path);
      ASSERT_TRUE(block) << c.name;
      EXPECT_LT(block->picture.start, block->picture.end);
      EXPECT_EQ(block->picture.end, block->licence.start);
      EXPECT_EQ(block->licence.end, block->instructions.start);
    }
    if (c.trailer) {
      EXPECT_EQ(info.m_checksum, ReferenceCrc(std::string_view(file).substr(0, file.size() - kTrailerBytes)));
      EXPECT_EQ(file.substr(file.size() - kTrailerBytes), FormatTrailer(info)) << c.name;
    } else {
      EXPECT_EQ(info.m_checksum, 0u);
      EXPECT_EQ(file, expected);
    }

    ImageReader reader(boxes);
    info.m_path = path;
    ASSERT_EQ(reader.Open(info), 0) << c.name;
    std::string back;
    std::vector<char> chunk(5000);
    for (int64_t got; (got = reader.Read(chunk.data(), chunk.size())) > 0;) back.append(chunk.data(), static_cast<std::size_t>(got));
    // A plain file's trailer is no disk data: reading stops where the data ends.
    EXPECT_EQ(back, expected) << c.name;
    EXPECT_EQ(reader.Read(chunk.data(), chunk.size()), 0);
    reader.Close();
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  EXPECT_EQ(FileNames().size(), 11u);
}

TEST_F(ImageStream, AbandonedWritersLeaveTheTargetAsItWas) {
  for (const char* name : {"keep.img", "keep.imz", "keep.exe"}) {
    std::string path = Path(name);
    WriteWhole(path, "precious");
    FakeMessageBoxes boxes;
    {
      ImageWriter writer(boxes, options);
      ASSERT_EQ(writer.Open(path), 0);
      ASSERT_EQ(writer.Write("abc", 3), 0);
      writer.Abandon();
      CImageInfo info;
      EXPECT_EQ(writer.Finish(info), -1);  // nothing left to finish
      EXPECT_EQ(writer.Write("abc", 3), -1);
    }
    {
      ImageWriter destroyed(boxes, options);
      ASSERT_EQ(destroyed.Open(path), 0);
      ASSERT_EQ(destroyed.Write("abc", 3), 0);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ReadWhole(path), "precious") << name;
  }
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"keep.exe", "keep.img", "keep.imz", "program.bin"}));
}

TEST_F(ImageStream, ReaderRefusals) {
  std::string stream = Bzip2Compress(FloppyBytes(368640));
  std::string damaged = stream;
  damaged[stream.size() / 3] ^= 0x08;
  WriteWhole(Path("damaged.imz"), damaged);
  WriteWhole(Path("cut.exe"), TestStub() + stream.substr(0, stream.size() / 2));
  WriteWhole(Path("nostream.exe"), TestStub());
  WriteWhole(Path("notbzip.imz"), "definitely not bzip2");
  WriteWhole(Path("other.txt"), "x");
  struct Case {
    const char* name;
    int textId;  // of Open, or of the first failing Read
    bool opens;
  } cases[] = {
      {"missing.img", kTextCannotOpen, false}, {"nostream.exe", kTextCannotOpen, false},
      {"other.txt", kTextCannotOpen, false},   {"damaged.imz", kTextImageReadFailed, true},
      {"cut.exe", kTextImageReadFailed, true}, {"notbzip.imz", kTextImageReadFailed, true},
  };
  for (const Case& c : cases) {
    FakeMessageBoxes boxes;
    ImageReader reader(boxes);
    std::string path = Path(c.name);
    CImageInfo image;
    image.m_path = path;
    ASSERT_EQ(reader.Open(image), c.opens ? 0 : -1) << c.name;
    if (c.opens) {
      std::vector<char> chunk(9216);
      int64_t got = 0;
      while ((got = reader.Read(chunk.data(), chunk.size())) > 0) {
      }
      EXPECT_EQ(got, -1) << c.name;
    } else {
      ASSERT_EQ(boxes.Boxes().size(), 1u);
      EXPECT_EQ(boxes.Boxes()[0].text, "不能打开 " + path + "。");
    }
    EXPECT_EQ(boxes.Ids(), std::vector<int>{c.textId}) << c.name;
  }
}

}  // namespace
