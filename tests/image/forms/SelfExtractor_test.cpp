// The self-extracting container: settings block, stub search, and the items behind the image stream.
#include "image/forms/SelfExtractorBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Format.h"
#include "base/Texts.h"
#include "image/Conversion.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

std::string BlockOf(std::string_view text) {
  std::string block(text);
  block.resize(kSettingsBlockBytes, '\0');
  return block;
}

SettingsBlock WithSettings(const SelfExeSettings& settings) {
  SettingsBlock block;
  block.settings = settings;
  return block;
}

void ExpectSameCarriedFields(const SettingsBlock& a, const SettingsBlock& b, const std::string& name) {
  EXPECT_EQ(a.picture.start, b.picture.start) << name;
  EXPECT_EQ(a.picture.end, b.picture.end) << name;
  EXPECT_EQ(a.licence.start, b.licence.start) << name;
  EXPECT_EQ(a.licence.end, b.licence.end) << name;
  EXPECT_EQ(a.instructions.start, b.instructions.start) << name;
  EXPECT_EQ(a.instructions.end, b.instructions.end) << name;
  const SelfExeSettings& x = a.settings;
  const SelfExeSettings& y = b.settings;
  EXPECT_EQ(x.m_customPicture, y.m_customPicture) << name;
  EXPECT_EQ(x.m_licenseDisplay, y.m_licenseDisplay) << name;
  EXPECT_EQ(x.m_licensePicture, y.m_licensePicture) << name;
  EXPECT_EQ(x.m_licenseTitle, y.m_licenseTitle) << name;
  EXPECT_EQ(x.m_createPicture, y.m_createPicture) << name;
  EXPECT_EQ(x.m_createDescription, y.m_createDescription) << name;
  EXPECT_EQ(x.m_createTitle, y.m_createTitle) << name;
  EXPECT_EQ(x.m_verifyWrite, y.m_verifyWrite) << name;
  EXPECT_EQ(x.m_format, y.m_format) << name;
  EXPECT_EQ(x.m_verifyFormat, y.m_verifyFormat) << name;
  EXPECT_EQ(x.m_driveB, y.m_driveB) << name;
  EXPECT_EQ(x.m_overwriteDialog, y.m_overwriteDialog) << name;
  EXPECT_EQ(x.m_successDialog, y.m_successDialog) << name;
  EXPECT_EQ(x.m_restartDialog, y.m_restartDialog) << name;
  EXPECT_EQ(x.m_windowFx, y.m_windowFx) << name;
}

TEST(SettingsBlock, DefaultsAreWrittenExactly) {
  std::string expected = BlockOf(
      "[FileVersion 003] [BMPStart 0 0] [LicenseStart 0 0] [InfoStart 0 0] [PictureCustom 0] [LicenseDialog 0] "
      "[LicensePicture 0] [LicenseTitle \xCA\xDA\xC8\xA8\xD0\xAD\xD2\xE9\x01] [CreatePicture 1] "
      "[CreateDescription 1] [CreateTitle \xB4\xB4\xBD\xA8\xC8\xED\xC5\xCC\x01] [VerifyWrite 1] [Format 0] "
      "[VerifyFormat 0] [DriveB 0] [CreateOverwrite 1] [CreateSuccess 1] [CreateRestart 0] [ApplicationAlpha 0]");
  EXPECT_EQ(FormatSettingsBlock(WithSettings(SelfExeSettings{})), expected);
}

TEST(SettingsBlock, EveryFieldInItsPlace) {
  SelfExeSettings s;
  s.m_customPicture = 1;
  s.m_licenseDisplay = 5;  // any non-zero DWORD is on
  s.m_licensePicture = 1;
  s.m_licenseTitle = "L ] [CreatePicture 0]";
  s.m_createPicture = 0;
  s.m_createDescription = 0;
  s.m_createTitle = "C";
  s.m_verifyWrite = 0;
  s.m_format = 1;
  s.m_verifyFormat = 1;
  s.m_driveB = 1;
  s.m_overwriteDialog = 0;
  s.m_successDialog = 0;
  s.m_restartDialog = 1;
  s.m_windowFx = 1;
  SettingsBlock block = WithSettings(s);
  block.picture = {1000, 2000};
  block.licence = {2000, 2100};
  block.instructions = {2100, 2200};
  EXPECT_EQ(FormatSettingsBlock(block),
            BlockOf("[FileVersion 003] [BMPStart 1000 2000] [LicenseStart 2000 2100] [InfoStart 2100 2200] "
                    "[PictureCustom 1] [LicenseDialog 1] [LicensePicture 1] [LicenseTitle L ] [CreatePicture 0]\x01] "
                    "[CreatePicture 0] [CreateDescription 0] [CreateTitle C\x01] [VerifyWrite 0] [Format 1] "
                    "[VerifyFormat 1] [DriveB 1] [CreateOverwrite 0] [CreateSuccess 0] [CreateRestart 1] "
                    "[ApplicationAlpha 1]"));
}

TEST(SettingsBlock, EachFieldReadsBackAlone) {
  // One field changed at a time, so that two fields read into each other's place cannot go unseen.
  using Change = void (*)(SettingsBlock&);
  struct Case {
    const char* name;
    Change change;
  } cases[] = {
      {"defaults", [](SettingsBlock&) {}},
      {"picture", [](SettingsBlock& b) { b.picture = {7, 9}; }},
      {"licence", [](SettingsBlock& b) { b.licence = {11, 13}; }},
      {"instructions", [](SettingsBlock& b) { b.instructions = {17, 19}; }},
      {"custom picture", [](SettingsBlock& b) { b.settings.m_customPicture = 1; }},
      {"licence dialog", [](SettingsBlock& b) { b.settings.m_licenseDisplay = 1; }},
      {"licence picture", [](SettingsBlock& b) { b.settings.m_licensePicture = 1; }},
      {"licence title", [](SettingsBlock& b) { b.settings.m_licenseTitle = "许可 ] x"; }},
      {"create picture", [](SettingsBlock& b) { b.settings.m_createPicture = 0; }},
      {"create description", [](SettingsBlock& b) { b.settings.m_createDescription = 0; }},
      {"create title", [](SettingsBlock& b) { b.settings.m_createTitle = ""; }},
      {"verify write", [](SettingsBlock& b) { b.settings.m_verifyWrite = 0; }},
      {"format", [](SettingsBlock& b) { b.settings.m_format = 1; }},
      {"verify format", [](SettingsBlock& b) { b.settings.m_verifyFormat = 1; }},
      {"drive B", [](SettingsBlock& b) { b.settings.m_driveB = 1; }},
      {"overwrite", [](SettingsBlock& b) { b.settings.m_overwriteDialog = 0; }},
      {"success", [](SettingsBlock& b) { b.settings.m_successDialog = 0; }},
      {"restart", [](SettingsBlock& b) { b.settings.m_restartDialog = 1; }},
      {"fade", [](SettingsBlock& b) { b.settings.m_windowFx = 1; }},
  };
  for (const Case& c : cases) {
    SettingsBlock block = WithSettings(SelfExeSettings{});
    c.change(block);
    std::optional<SettingsBlock> parsed = ParseSettingsBlock(FormatSettingsBlock(block));
    ASSERT_TRUE(parsed) << c.name;
    ExpectSameCarriedFields(*parsed, block, c.name);
  }
}

TEST(SettingsBlock, TitlesAreCutTo100BytesOfTheCodePage) {
  struct Case {
    std::string title;
    std::string read;
  } cases[] = {
      {std::string(100, 't'), std::string(100, 't')},
      {std::string(150, 't'), std::string(100, 't')},
      {std::string(99, 't') + "授", std::string(99, 't')},
      {std::string(98, 't') + "授", std::string(98, 't') + "授"},
      {std::string("a\x01" "b", 3), "a"},
  };
  for (const Case& c : cases) {
    SelfExeSettings s;
    s.m_licenseTitle = c.title;
    s.m_createTitle = c.title;
    std::optional<SettingsBlock> parsed = ParseSettingsBlock(FormatSettingsBlock(WithSettings(s)));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->settings.m_licenseTitle, c.read) << c.title.size();
    EXPECT_EQ(parsed->settings.m_createTitle, c.read) << c.title.size();
  }
}

TEST(SettingsBlock, UnknownOrDamagedBlocks) {
  struct Case {
    const char* name;
    std::string block;
    bool known;
    int32_t pictureEnd;
    std::string licenceTitle;
    uint32_t driveB;
  } cases[] = {
      {"empty", "", false, 0, "", 0},
      {"no tag", BlockOf("[BMPStart 1 2]"), false, 0, "", 0},
      {"version 0", BlockOf("[FileVersion 000] [BMPStart 1 2]"), false, 0, "", 0},
      {"version 4", BlockOf("[FileVersion 004] [BMPStart 1 2]"), false, 0, "", 0},
      {"only the version", "[FileVersion 3]", true, 0, "", 0},
      {"pair without second number", BlockOf("[FileVersion 003] [BMPStart 12]"), true, 0, "", 0},
      {"title without end", BlockOf("[FileVersion 003] [LicenseTitle open] [DriveB 1]"), true, 0, "", 1},
      {"tags after the first NUL", BlockOf("[FileVersion 003]") + "[DriveB 1]", true, 0, "", 0},
      {"beyond 1024 bytes", "[FileVersion 003] " + std::string(1100, ' ') + "[DriveB 1]", true, 0, "", 0},
      {"huge offsets", BlockOf("[FileVersion 003] [BMPStart 1 99999999999]"), true, INT32_MAX, "", 0},
  };
  for (const Case& c : cases) {
    std::optional<SettingsBlock> parsed = ParseSettingsBlock(c.block);
    ASSERT_EQ(parsed.has_value(), c.known) << c.name;
    if (!parsed) continue;
    EXPECT_EQ(parsed->picture.end, c.pictureEnd) << c.name;
    EXPECT_EQ(parsed->settings.m_licenseTitle, c.licenceTitle) << c.name;
    EXPECT_EQ(parsed->settings.m_driveB, c.driveB) << c.name;
    EXPECT_EQ(parsed->settings.m_createPicture, 0u) << c.name;  // absent fields are off, whatever the defaults
    EXPECT_EQ(parsed->settings.m_createTitle, "") << c.name;
  }
}

TEST(SettingsBlock, ItemsMustLieBeforeTheBlock) {
  struct Case {
    ItemOffsets item;
    bool fits;
  } cases[] = {
      {{0, 0}, true},       {{100, 200}, true},  {{100, 100}, true}, {{100, 7952}, true},
      {{100, 7953}, false}, {{0, 10}, false},    {{-5, 10}, false}, {{200, 100}, false},
  };
  const int64_t fileBytes = 10000;  // data ends at 10000 - 2048 = 7952
  for (const Case& c : cases) {
    for (int slot = 0; slot < 3; ++slot) {
      SettingsBlock block = WithSettings(SelfExeSettings{});
      (slot == 0 ? block.picture : slot == 1 ? block.licence : block.instructions) = c.item;
      EXPECT_EQ(ParseContainerBlock(FormatSettingsBlock(block), fileBytes).has_value(), c.fits)
          << c.item.start << " " << c.item.end << " in slot " << slot;
    }
  }
}

class Container : public ImageFolder {};

TEST_F(Container, StubIsFoundAtItsFirstSignatureFrom1024On) {
  const std::string sig = StubSignature();
  const std::string stub = TestStub();
  struct Case {
    const char* name;
    std::string program;
    int64_t stubAt;  // -1: no stub
  } cases[] = {
      {"right at 1024", std::string(1024, 'P') + stub, 1024},
      {"signature in the header is skipped", sig + std::string(1500, 'P') + stub, 1507},
      // The search starts at 1024, inside this signature; the stub body holds only near misses.
      {"signature across 1024", std::string(1020, 'P') + stub, -1},
      {"after a lone M", std::string(1500, 'P') + "M" + stub, 1501},
      {"after a partial match", std::string(1500, 'P') + sig.substr(0, 5) + stub, 1505},
      {"no stub", std::string(5000, 'P') + sig.substr(0, 6), -1},
      {"shorter than its header", sig, -1},
      // A stub ends its carrier: a signature before the last kMaxStubBytes is never read.
      {"early signature in a large file", std::string(1500, 'P') + stub + std::string(kMaxStubBytes, 'P') + stub,
       1500 + static_cast<int64_t>(stub.size()) + kMaxStubBytes},
      {"large file, stub too far from the end", std::string(1500, 'P') + stub + std::string(kMaxStubBytes, 'P'), -1},
  };
  for (const Case& c : cases) {
    std::string path = Path("program.bin");
    WriteWhole(path, c.program);
    FakeMessageBoxes boxes;
    std::optional<File> found = FindStubStart(path, boxes);
    ASSERT_EQ(found.has_value(), c.stubAt >= 0) << c.name;
    if (found) {
      EXPECT_TRUE(boxes.Boxes().empty());
      EXPECT_EQ(found->Tell(), c.stubAt) << c.name;
      std::string head(7, '\0');
      ASSERT_EQ(found->Read(head.data(), 7), 7u);
      EXPECT_EQ(head, sig);
    } else {
      ASSERT_EQ(boxes.Boxes().size(), 1u) << c.name;
      EXPECT_EQ(boxes.Boxes()[0].text, path + " 不是自解压程序 (diskelle-sfx.exe)，不能创建自解压映像文件。\n"
                                             "请用 $DISKELLE_SFX 指定自解压程序文件。") << c.name;
    }
  }
  FakeMessageBoxes boxes;
  EXPECT_FALSE(FindStubStart(Path("missing.bin"), boxes));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, FormatText(kTextStubFileMissing, {Path("missing.bin")}));
}

TEST_F(Container, ItemOffsetsChainUpToTheSettingsBlock) {
  std::string program = Path("program.bin");
  std::string stub = WriteProgramFile(program);
  std::string picture = Path("picture.bmp");
  std::string bmp = "BM" + FloppyBytes(30000, 9);
  WriteWhole(picture, bmp);
  std::string raw = FloppyBytes(368640, 10);
  struct Case {
    const char* name;
    bool withPicture;
    std::string licence, instructions;
  } cases[] = {
      {"everything", true, "授权 licence text", "Create it: 1) 2) 3)"},
      {"picture only", true, "", ""},
      {"texts only", false, "licence", "steps"},
      {"nothing", false, "", ""},
  };
  for (const Case& c : cases) {
    SelfExeSettings settings;
    settings.m_customPicture = c.withPicture ? 1 : 0;
    settings.m_picturePath = picture;
    settings.m_licenseText = c.licence;
    settings.m_createText = c.instructions;
    SaveOptions options;
    options.write.programPath = program;
    options.write.selfExe = &settings;
    CImageInfo source, target;
    FakeMessageBoxes boxes;
    std::string path = Path("container.exe");
    ASSERT_EQ(target.SetTarget(path, boxes), 0);
    ImageBuffer buffer{std::vector<uint8_t>(raw.begin(), raw.end()), raw.size(), {}};
    ASSERT_EQ(SaveImageFile(source, target, buffer, options, boxes), 0) << c.name;
    EXPECT_TRUE(boxes.Boxes().empty()) << c.name;

    std::string file = ReadWhole(path);
    ASSERT_EQ(file.compare(0, stub.size(), stub), 0) << c.name;
    std::optional<SettingsBlock> block = ReadSettingsBlock(path);
    ASSERT_TRUE(block) << c.name;
    EXPECT_EQ(file.substr(file.size() - 2048, kSettingsBlockBytes), FormatSettingsBlock(*block)) << c.name;
    int64_t dataEnd = static_cast<int64_t>(file.size()) - 2048;

    // The image stream runs from the stub to the first item; each item starts where the one before it ended;
    // absent items are 0 0.
    auto bytesOf = [&file](int64_t start, int64_t end) {
      return std::string_view(file).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    };
    int64_t next = c.withPicture              ? block->picture.start
                   : !c.licence.empty()       ? block->licence.start
                   : !c.instructions.empty()  ? block->instructions.start
                                              : dataEnd;
    EXPECT_EQ(Bzip2Decompress(bytesOf(static_cast<int64_t>(stub.size()), next)), raw) << c.name;
    if (c.withPicture) {
      EXPECT_EQ(Bzip2Decompress(bytesOf(block->picture.start, block->picture.end)), bmp);
      next = block->picture.end;
    } else {
      EXPECT_EQ(block->picture.start, 0);
      EXPECT_EQ(block->picture.end, 0);
    }
    if (!c.licence.empty()) {
      EXPECT_EQ(block->licence.start, next) << c.name;
      EXPECT_EQ(ReadContainerText(path, block->licence), c.licence) << c.name;
      next = block->licence.end;
    } else {
      EXPECT_EQ(block->licence.start, 0);
      EXPECT_EQ(block->licence.end, 0);
    }
    if (!c.instructions.empty()) {
      EXPECT_EQ(block->instructions.start, next) << c.name;
      EXPECT_EQ(ReadContainerText(path, block->instructions), c.instructions) << c.name;
      next = block->instructions.end;
    } else {
      EXPECT_EQ(block->instructions.start, 0);
      EXPECT_EQ(block->instructions.end, 0);
    }
    EXPECT_EQ(next, dataEnd) << c.name;  // the last item ends where the settings block begins
  }
}

TEST_F(Container, SelfExtractorDataFailures) {
  std::string folder = Path("a-folder.exe");
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  std::string exe = Path("partial.exe");
  struct Case {
    const char* name;
    std::string path;
    bool picture;
    std::string picturePath;
    int result;
    int textId;
  } cases[] = {
      {"target cannot be opened", folder, true, Path("missing.bmp"), -1, kTextCannotCreateCompressed},
      {"picture missing", exe, true, Path("missing.bmp"), -2, kTextCannotReadBmp},
      {"picture is a folder", exe, true, folder, -2, kTextCannotReadBmp},
      {"licence on a folder", folder, false, "", -4, kTextCannotWriteSelfExtractor},
  };
  for (const Case& c : cases) {
    if (c.path == exe) WriteWhole(exe, "stub and stream");
    SelfExeSettings settings;
    settings.m_customPicture = c.picture ? 1 : 0;
    settings.m_picturePath = c.picturePath;
    settings.m_licenseText = "licence";
    FakeMessageBoxes boxes;
    File out = File::Open(c.path, FileMode::Append);
    EXPECT_EQ(WriteSelfExtractorData(out, settings, boxes), c.result) << c.name;
    EXPECT_EQ(boxes.Ids(), std::vector<int>{c.textId}) << c.name;
    if (c.textId == kTextCannotWriteSelfExtractor) {
      EXPECT_EQ(boxes.Boxes()[0].text, "不能写入到自解压文件(错误: 0)。");
    }
  }
  EXPECT_FALSE(ReadSettingsBlock(Path("missing.exe")));
  WriteWhole(exe, std::string(2047, 'x'));
  EXPECT_FALSE(ReadSettingsBlock(exe));
  EXPECT_FALSE(ReadContainerText(exe, {3000, 3010}));
  EXPECT_FALSE(ReadContainerText(exe, {10, 5}));
}

}  // namespace
