// The integrity check and the change of description of existing images.
#include <gtest/gtest.h>

#include "base/File.h"
#include "base/Texts.h"
#include "image/Integrity.h"
#include "image/DescriptionChange.h"
#include "image/trailer/Trailer.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

class ExistingImage : public ImageFolder {
 protected:
  // An image with a trailer that carries the data's true checksum.
  std::string WriteImage(const std::string& name, const std::string& description, std::size_t rawBytes = 368640) {
    std::string path = Path(name);
    std::string raw = FloppyBytes(rawBytes, 11);
    CImageInfo info;
    info.m_path = path;
    info.m_description = description;
    info.m_sectorsPerTrack = 9;
    info.m_tracks = 40;
    info.m_totalBytes = 362496;
    info.m_freeBytes = 4096;
    info.m_checksum = ReferenceCrc(raw);
    WriteWhole(path, raw + FormatTrailer(info));
    return path;
  }

  CImageInfo Loaded(const std::string& path) {
    CImageInfo info;
    FakeMessageBoxes boxes;
    EXPECT_EQ(info.LoadInfo(path, boxes), 0) << path;
    return info;
  }
};

TEST_F(ExistingImage, IntegrityCheckComparesTheStoredChecksum) {
  std::string good = WriteImage("good.img", "g");
  std::string changed = WriteImage("changed.img", "c");
  std::string bytes = ReadWhole(changed);
  bytes[1000] ^= 1;
  WriteWhole(changed, bytes);
  std::string noTrailer = Path("plain.img");
  WriteWhole(noTrailer, FloppyBytes(368640));
  std::string zero = Path("zero.imz");
  WriteWhole(zero, ImageFileBytes(&kBzip2Form, FloppyBytes(368640),
                                  Block("[FileVersion 003] [Description z\x01] [Checksum 0]")));
  struct Case {
    std::string path;
    IntegrityResult result;
    int textId;
    MessageIcon icon;
    std::string text;
  } cases[] = {
      {good, IntegrityResult::Good, kTextCrcGood, MessageIcon::Information, "CRC32 检查成功。"},
      {changed, IntegrityResult::Bad, kTextCrcBad, MessageIcon::Error, "CRC32 检查失败。"},
      {noTrailer, IntegrityResult::NoChecksum, kTextNoChecksum, MessageIcon::Error,
       "文件没有包含任何 CRC32 检验和文件头。"},
      {zero, IntegrityResult::NoChecksum, kTextNoChecksum, MessageIcon::Error, "文件没有包含任何 CRC32 检验和文件头。"},
  };
  for (const Case& c : cases) {
    CImageInfo image = Loaded(c.path);
    FakeMessageBoxes boxes;
    EXPECT_EQ(CheckIntegrity(image, boxes), c.result) << c.path;
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].textId, c.textId) << c.path;
    EXPECT_EQ(boxes.Boxes()[0].icon, c.icon) << c.path;
    EXPECT_EQ(boxes.Boxes()[0].text, c.text) << c.path;
  }

  // A file that can no longer be read counts as damaged.
  CImageInfo vanished = Loaded(good);
  ASSERT_TRUE(RemoveFile(good));
  FakeMessageBoxes boxes;
  EXPECT_EQ(CheckIntegrity(vanished, boxes), IntegrityResult::Bad);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{kTextCrcBad});
}

TEST_F(ExistingImage, ChangedDescriptionReplacesOnlyTheDescription) {
  struct Case {
    std::string description;
    std::string stored;  // as read back
  } cases[] = {
      {"新的描述 ] [SectorsPerTrack 9", "新的描述 ] [SectorsPerTrack 9"},
      {std::string(300, 'd'), std::string(255, 'd')},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string path = WriteImage("describe.imz", "old");
    std::string before = ReadWhole(path);
    CImageInfo image = Loaded(path);
    FakeMessageBoxes boxes;
    ASSERT_EQ(ChangeDescription(image, c.description, boxes), 0);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(image.m_description, c.stored);

    std::string after = ReadWhole(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, after.size() - kTrailerBytes), before.substr(0, before.size() - kTrailerBytes));
    CImageInfo reread = Loaded(path);
    EXPECT_EQ(reread.m_description, c.stored);
    EXPECT_EQ(reread.m_checksum, image.m_checksum);
    EXPECT_EQ(reread.m_sectorsPerTrack, 9);
    EXPECT_EQ(reread.m_tracks, 40);
    EXPECT_EQ(reread.m_totalBytes, 362496);
    EXPECT_EQ(reread.m_freeBytes, 4096);
    EXPECT_EQ(FileNames(), std::vector<std::string>{"describe.imz"});
    RemoveFile(path);
  }
}

TEST_F(ExistingImage, ChangedDescriptionKeepsTheEvidenceOfDamage) {
  std::string path = WriteImage("damaged.img", "old");
  std::string bytes = ReadWhole(path);
  bytes[5] ^= 0x40;
  WriteWhole(path, bytes);
  CImageInfo image = Loaded(path);
  FakeMessageBoxes boxes;
  ASSERT_EQ(ChangeDescription(image, "new", boxes), 0);
  EXPECT_EQ(CheckIntegrity(Loaded(path), boxes), IntegrityResult::Bad);
}

TEST_F(ExistingImage, ChangeDescriptionRefusals) {
  std::string plain = Path("plain.img");
  WriteWhole(plain, FloppyBytes(368640));
  CImageInfo withoutTrailer = Loaded(plain);
  FakeMessageBoxes boxes;
  EXPECT_EQ(ChangeDescription(withoutTrailer, "x", boxes), -1);
  ASSERT_EQ(boxes.Ids(), std::vector<int>{kTextConvertToNewFormatFirst});
  EXPECT_EQ(boxes.Boxes()[0].text, "在处理前你必须先将该映像文件转换到新的文件格式。");
  EXPECT_EQ(ReadWhole(plain), FloppyBytes(368640));

  std::string gone = WriteImage("gone.img", "old");
  CImageInfo vanished = Loaded(gone);
  ASSERT_TRUE(RemoveFile(gone));
  boxes.Clear();
  EXPECT_EQ(ChangeDescription(vanished, "x", boxes), -2);
  ASSERT_EQ(boxes.Ids(), std::vector<int>{kTextCannotCreate});
  EXPECT_EQ(boxes.Boxes()[0].text, "不能创建 " + gone + "。");
  EXPECT_EQ(vanished.m_description, "old");
  EXPECT_EQ(FileNames(), std::vector<std::string>{"plain.img"});
}

}  // namespace
