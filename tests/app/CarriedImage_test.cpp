// What the self-extractor reads from its own file before any window: a damaged container is refused with
// its message, a picture that is no bitmap falls back on the built-in one.
#include <gtest/gtest.h>

#include <cstring>

#include "app/CarriedImage.h"
#include "base/Texts.h"
#include "image/ImageWriter.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

class CarriedImage : public ImageFolder {
 protected:
  std::string Build(const SelfExeSettings& options) {
    WriteProgramFile(Path("program"));
    ImageWriteOptions write;
    write.selfExe = &options;
    write.programPath = Path("program");
    FakeMessageBoxes boxes;
    ImageWriter writer(boxes, write);
    CImageInfo info;
    info.m_tracks = 80;
    info.m_sectorsPerTrack = 18;
    EXPECT_EQ(writer.Open(Path("disk.exe")), 0);
    EXPECT_EQ(writer.Write(raw.data(), raw.size()), 0);
    EXPECT_EQ(writer.Finish(info), 0);
    return ReadWhole(Path("disk.exe"));
  }
  std::string raw = FloppyBytes(1474560, 3);
};

TEST_F(CarriedImage, ReadsWhatTheBuilderWroteAndRefusesWhatWasDamaged) {
  SelfExeSettings options;
  options.m_licenseText = "许可";
  options.m_createTitle = "标题 [带] 括号";
  std::string good = Build(options);
  std::size_t blockAt = good.size() - 2048;
  auto damaged = [&](std::size_t at, std::string_view with) {
    std::string bytes = good;
    std::memcpy(bytes.data() + at, with.data(), with.size());
    return bytes;
  };
  struct Case {
    const char* name;
    std::string bytes;
    bool readable;
  } cases[] = {
      {"as built", good, true},
      {"no version", damaged(blockAt, "[Filexxxxxxx"), false},
      {"licence past the block", damaged(blockAt + good.substr(blockAt).find("[LicenseStart ") + 14, "9999999"), false},
      {"cut", good.substr(0, good.size() - 100), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteWhole(Path("run.exe"), c.bytes);
    FakeMessageBoxes boxes;
    std::optional<SettingsBlock> block = ReadOwnSettings(Path("run.exe"), boxes);
    EXPECT_EQ(block.has_value(), c.readable);
    if (!c.readable) {
      ASSERT_EQ(boxes.Boxes().size(), 1u);
      EXPECT_EQ(boxes.Boxes()[0].text, kTextSfxCannotReadOverlay);
      continue;
    }
    EXPECT_EQ(block->settings.m_createTitle, "标题 [带] 括号");
    EXPECT_EQ(ReadCarriedText(Path("run.exe"), block->licence, boxes), std::optional<std::string>("许可"));
    CImageInfo image;
    EXPECT_EQ(CheckCarriedImage(Path("run.exe"), image, boxes), 0);
    EXPECT_EQ(image.Geometry().tracks, 80);
    EXPECT_TRUE(boxes.Boxes().empty());
  }
}

TEST_F(CarriedImage, APictureThatIsNoBitmapFallsBackOnTheBuiltInOne) {
  for (bool bitmap : {true, false}) {
    SCOPED_TRACE(bitmap ? "bitmap" : "text");
    std::string picture = bitmap ? std::string("BM") : std::string("no picture at all");
    if (bitmap) {
      picture.resize(54 + 8, '\0');
      const uint8_t header[] = {0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0};
      std::memcpy(picture.data() + 2, header, sizeof header);
    }
    WriteWhole(Path("picture.bmp"), picture);
    SelfExeSettings options;
    options.m_customPicture = 1;
    options.m_picturePath = Path("picture.bmp");
    Build(options);
    FakeMessageBoxes boxes;
    std::optional<SettingsBlock> block = ReadOwnSettings(Path("disk.exe"), boxes);
    ASSERT_TRUE(block);
    CarriedPicture carried = ExtractPicture(Path("disk.exe"), block->picture, boxes);
    EXPECT_FALSE(carried.fatal);
    EXPECT_EQ(carried.bytes.empty(), !bitmap);
    if (bitmap) {
      EXPECT_EQ(std::string(carried.bytes.begin(), carried.bytes.end()), picture);
    }
    EXPECT_EQ(boxes.Boxes().size(), bitmap ? 0u : 1u);
  }
}

TEST(CarriedImageArguments, SlashBInAnyCaseAsksForDriveB) {
  EXPECT_TRUE(ArgumentsAskDriveB({"/b"}));
  EXPECT_TRUE(ArgumentsAskDriveB({"x", "/B"}));
  EXPECT_FALSE(ArgumentsAskDriveB({"/bb", "b", "-b"}));
  AppSettings settings = WriteJobSettings(SelfExeSettings{}, "B:");
  EXPECT_EQ(settings.m_fdLetter, "B:");
  EXPECT_EQ(settings.m_recreateBad, 0u);
  EXPECT_EQ(settings.m_emergency, 0u);
}

}  // namespace
