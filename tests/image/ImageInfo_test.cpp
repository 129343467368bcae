// Images as sources and destinations: forms, LoadInfo with every refusal, SetTarget and the geometry of
// images that do not state a usable one.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Texts.h"
#include "image/forms/ImageForm.h"
#include "image/forms/SelfExtractor.h"
#include "image/ImageInfo.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

TEST(ImageForms, ChosenByTheLastFourCharactersWithoutRegardToCase) {
  struct Case {
    const char* path;
    const ImageForm* form;
  } cases[] = {
      {"a.img", &kRawForm},         {"A.IMG", &kRawForm},      {"c:/x/b.Img", &kRawForm},
      {".img", &kRawForm},          {"软盘.IMZ", &kBzip2Form}, {"d.imz", &kBzip2Form},
      {"setup.EXE", &kSelfExtractingForm}, {"x.eXe", &kSelfExtractingForm},
      {"x.im", nullptr},        {"img", nullptr},      {"", nullptr},
      {"a.imgx", nullptr},      {"a.img.bak", nullptr}, {"a.imy", nullptr},
      {"a_img", nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormOfPath(c.path), c.form) << c.path;
    CImageInfo info;
    info.m_path = c.path;
    info.m_compressed = 7;
    EXPECT_EQ(info.CheckExtension(), c.form == nullptr ? 0 : 1) << c.path;
    int expected = c.form == nullptr ? 7 : c.form == &kRawForm ? 0 : 1;
    EXPECT_EQ(info.m_compressed, expected) << c.path;
  }
}

class ImageSource : public ImageFolder {};

TEST_F(ImageSource, StreamSignatureIsSearchedInTheFirst512KB) {
  struct Case {
    int64_t at;  // -1: no signature
    std::size_t size;
    int64_t found;
  } cases[] = {
      {0, 100, 0},
      {1500, 4000, 1500},
      {0x80000 - 7, 0x80000 + 100, 0x80000 - 7},
      {0x80000 - 6, 0x80000 + 100, -1},  // its last byte lies beyond the searched range
      {-1, 0x90000, -1},
      {-1, 3, -1},
  };
  for (const Case& c : cases) {
    std::string bytes(c.size, 'B');
    if (c.at >= 0) bytes.replace(static_cast<std::size_t>(c.at), 7, "BZh91AY");
    std::string path = Path("search.exe");
    WriteWhole(path, bytes);
    EXPECT_EQ(FindImageStream(path), c.found) << c.at;
    EXPECT_EQ(ExeHasImage(path), c.found >= 0 ? 1 : 0) << c.at;
  }
  EXPECT_EQ(FindImageStream(Path("missing.exe")), -1);
  EXPECT_EQ(ExeHasImage(Path("missing.exe")), 0);
  std::string nearMiss = "BZh91A BZh91AY";
  EXPECT_EQ(FindImageStreamIn(reinterpret_cast<const uint8_t*>(nearMiss.data()), nearMiss.size()), 7);
}

TEST_F(ImageSource, LoadInfoRefusals) {
  std::string raw = FloppyBytes(368640);
  struct Case {
    const char* name;
    std::string contents;  // "-": no file
    int result;
    int textId;
    std::string text;
  } cases[] = {
      {"missing.img", "-", -1, kTextCannotOpen, "不能打开 {path}。"},
      {"image.txt", raw, -2, kTextUnsupportedExtension, "只支持扩展名为 IMZ、IMG、IMA、FLP、EXE、IMD、TD0、SCP 和 RAW 的文件。"},
      {"no-stream.exe", TestStub() + std::string(5000, 'x'), -3, kTextExeWithoutImage,
       "该 EXE 文件中没有包含任何映像文件。"},
      {"short.img", std::string(1023, 'x'), -4, 0, "{path} 不是映像文件。"},
      {"empty.imz", "", -4, 0, "{path} 不是映像文件。"},
      {"newer.imz", ImageFileBytes(&kBzip2Form, raw, Block("[FileVersion 004]")), -5, kTextNewerVersion,
       "该映像文件是用一个较新版本的 Diskelle 所制作的。\n你必须先取得一个新版本之后才能继续！"},
      // Without a trailer the size decides the geometry: a stream cut short has none to measure.
      {"cut.imz", Bzip2Compress(raw).substr(0, 1500), -6, kTextImageReadFailed, "不能读取映像文件。"},
  };
  for (const Case& c : cases) {
    std::string path = Path(c.name);
    if (c.contents != "-") WriteWhole(path, c.contents);
    CImageInfo info;
    FakeMessageBoxes boxes;
    EXPECT_EQ(info.LoadInfo(path, boxes), c.result) << c.name;
    EXPECT_EQ(info.m_state, ImageState::None) << c.name;
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].textId, c.textId) << c.name;
    std::string text = c.text;
    if (std::size_t at = text.find("{path}"); at != std::string::npos) text.replace(at, 6, path);
    EXPECT_EQ(boxes.Boxes()[0].text, text) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Error) << c.name;
  }
}

TEST_F(ImageSource, LoadInfoTakesTheTrailerOrTheSizeForGeometry) {
  struct Case {
    const char* name;
    const ImageForm* form;
    std::size_t rawBytes;
    std::string trailer;
    int hasTrailer;
    int32_t sectors, tracks, imageBytes;
    std::string description;
  } cases[] = {
      {"stated.img", &kRawForm, 4096,
       Block("[FileVersion 003] [Description Setup\x01] [SectorsPerTrack 15] [Tracks 80] [TotalBytes 5] "
             "[FreeBytes 4] [Checksum 0x9]"),
       1, 15, 80, 0, "Setup"},
      {"zero.img", &kRawForm, 1474560, Block("[FileVersion 003] [Description a\x01] [SectorsPerTrack 0] [Tracks 0]"),
       1, 18, 80, 1474560, "a"},
      {"zero360.img", &kRawForm, 368640, Block("[FileVersion 003] [Description \x01] [SectorsPerTrack 0] [Tracks 0]"),
       1, 9, 40, 368640, ""},
      {"zero720.imz", &kBzip2Form, 737280,
       Block("[FileVersion 003] [Description z\x01] [SectorsPerTrack 0] [Tracks 0]"), 1, 9, 80, 737280, "z"},
      {"zero1200.exe", &kSelfExtractingForm, 1228800,
       Block("[FileVersion 003] [Description e\x01] [SectorsPerTrack 0] [Tracks 0]"), 1, 15, 80, 1228800, "e"},
      {"odd.imz", &kBzip2Form, 500000, Block("[FileVersion 003] [Description \x01] [SectorsPerTrack 0] [Tracks 0]"),
       1, 18, 80, 500000, ""},
      {"negative.img", &kRawForm, 819200,
       Block("[FileVersion 003] [Description \x01] [SectorsPerTrack -3] [Tracks 80]"), 1, 10, 80, 819200, ""},
      {"huge.img", &kRawForm, 1720320,
       Block("[FileVersion 003] [Description \x01] [SectorsPerTrack 99999] [Tracks 80]"), 1, 21, 80, 1720320, ""},
      {"both-huge.img", &kRawForm, 368640,
       Block("[FileVersion 003] [Description \x01] [SectorsPerTrack 2147483647] [Tracks 2147483647]"), 1, 9, 40,
       368640, ""},
      {"most-sectors.img", &kRawForm, 4096,
       Block("[FileVersion 003] [Description \x01] [SectorsPerTrack 25] [Tracks 80]"), 1, 25, 80, 0, ""},
      {"too-many-sectors.img", &kRawForm, 4096,
       Block("[FileVersion 003] [Description \x01] [SectorsPerTrack 26] [Tracks 80]"), 1, 18, 80, 4096, ""},
      {"version2.img", &kRawForm, 737280, Block("[FileVersion 2] [Description v2\x01] [SectorsPerTrack 9]"), 1,
       9, 80, 0, "v2"},
      {"plain720.img", &kRawForm, 737280, "", 0, 9, 80, 737280, ""},
      {"plain1680.imz", &kBzip2Form, 1720320, "", 0, 21, 80, 1720320, ""},
  };
  for (const Case& c : cases) {
    std::string path = Path(c.name);
    WriteWhole(path, ImageFileBytes(c.form, FloppyBytes(c.rawBytes), c.trailer));
    CImageInfo info;
    FakeMessageBoxes boxes;
    ASSERT_EQ(info.LoadInfo(path, boxes), 0) << c.name;
    EXPECT_TRUE(boxes.Boxes().empty()) << c.name;
    EXPECT_EQ(info.m_state, ImageState::Source) << c.name;
    EXPECT_EQ(info.m_path, path);
    EXPECT_EQ(info.m_compressed, c.form == &kRawForm ? 0 : 1) << c.name;
    EXPECT_EQ(info.m_hasTrailer, c.hasTrailer) << c.name;
    EXPECT_EQ(info.m_sectorsPerTrack, c.sectors) << c.name;
    EXPECT_EQ(info.m_tracks, c.tracks) << c.name;
    EXPECT_EQ(info.m_imageBytes, c.imageBytes) << c.name;
    EXPECT_EQ(info.m_description, c.description) << c.name;
  }
}

TEST_F(ImageSource, ADamagedStreamWithoutStatedGeometryIsRefusedWithOneMessage) {
  std::string stream = Bzip2Compress(FloppyBytes(368640));
  stream[stream.size() / 2] ^= 0x55;
  std::string path = Path("damaged.imz");
  WriteWhole(path, stream + Block("[FileVersion 003] [Description d\x01] [SectorsPerTrack 0] [Tracks 0]"));
  CImageInfo info;
  FakeMessageBoxes boxes;
  EXPECT_EQ(info.LoadInfo(path, boxes), -6);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{kTextImageReadFailed});
  EXPECT_EQ(info.m_state, ImageState::None);
}

TEST_F(ImageSource, SetTargetAcceptsKnownFormsInAFolderItCanWriteOnly) {
  struct Case {
    const char* name;
    int result;
    int compressed;
    std::vector<int> ids;
  } cases[] = {
      {"new.img", 0, 0, {}},
      {"new.IMZ", 0, 1, {}},
      {"new.exe", 0, 1, {}},
      {"new.FLP", 0, 0, {}},
      {"new.imd", 0, 0, {}},
      {"new.zip", -1, 9, {kTextUnsupportedExtension}},
      {"new.td0", -1, 9, {kTextUnsupportedExtension}},
      {"im", -1, 9, {kTextUnsupportedExtension}},
      {"no-such-folder/new.img", -2, 0, {kTextCannotCreate}},
      {"folder.img", -2, 0, {kTextNotRegularFile}},
      {"readonly.imz", -2, 1, {kTextFileReadOnly}},
  };
  std::filesystem::create_directory(std::filesystem::u8path(Path("folder.img")));
  WriteWhole(Path("readonly.imz"), "old");
  std::filesystem::permissions(std::filesystem::u8path(Path("readonly.imz")), std::filesystem::perms::owner_read);
  const std::vector<std::string> before = FileNames();
  for (const Case& c : cases) {
    CImageInfo info;
    info.m_compressed = 9;
    FakeMessageBoxes boxes;
    EXPECT_EQ(info.SetTarget(Path(c.name), boxes), c.result) << c.name;
    EXPECT_EQ(info.m_path, Path(c.name));
    EXPECT_EQ(info.m_state, c.result == 0 ? ImageState::Target : ImageState::None) << c.name;
    EXPECT_EQ(info.m_compressed, c.compressed) << c.name;
    EXPECT_EQ(boxes.Ids(), c.ids) << c.name;
  }
  EXPECT_EQ(FileNames(), before);  // nothing is created
}

}  // namespace
