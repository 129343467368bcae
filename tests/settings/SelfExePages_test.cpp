// Storing the self-extractor settings pages and the checks on the picture they name.
#include "settings/SelfExePages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/Texts.h"
#include "settings/RecordingRegistry.h"
#include "settings/SettingsTable.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

// A record whose every value differs from the defaults.
SelfExeSettings Edited() {
  SelfExeSettings edited;
  for (const SettingField<SelfExeSettings>& field : SelfExeSettingFields()) {
    if (field.dword) {
      edited.*field.dword = edited.*field.dword != 0 ? 0 : 1;
    } else {
      edited.*field.text = std::string("新 ") + field.name + "\r\n第二行";
    }
  }
  return edited;
}

bool SameValue(const SettingField<SelfExeSettings>& field, const SelfExeSettings& a, const SelfExeSettings& b) {
  return field.dword ? a.*field.dword == b.*field.dword : a.*field.text == b.*field.text;
}

TEST(SelfExePages, EachPageStoresItsOwnValuesInItsOrderAndNothingElse) {
  using Store = std::function<void(IRegistryBackend&, const SelfExeSettings&, SelfExeSettings&)>;
  const std::pair<Store, std::vector<std::string>> pages[] = {
      {StoreLicencePage, {"LicenseDisplay", "LicensePicture", "LicenseTitle", "LicenseText"}},
      {StoreCreatePage, {"CreatePicture", "CreateDescription", "CreateTitle", "CreateText"}},
      {StoreVisualPage, {"CustomPicture", "PicturePath", "WindowFx"}},
      {StoreOptionsPage,
       {"Format", "VerifyFormat", "VerifyWrite", "DriveB", "OverwriteDialog", "SuccessDialog", "RestartDialog"}},
  };
  const SelfExeSettings edited = Edited();
  for (const auto& [store, names] : pages) {
    SCOPED_TRACE(names.front());
    RecordingRegistry registry;
    SelfExeSettings live;
    store(registry, edited, live);
    EXPECT_EQ(registry.names, names);
    EXPECT_EQ(registry.written, std::vector<std::string>(names.size(), kSelfExeKey));

    AppSettings app;
    SelfExeSettings stored;
    LoadSettings(registry, 5, app, stored);
    const SelfExeSettings defaults;
    for (const SettingField<SelfExeSettings>& field : SelfExeSettingFields()) {
      bool ofPage = std::find(names.begin(), names.end(), field.name) != names.end();
      const SelfExeSettings& expected = ofPage ? edited : defaults;
      EXPECT_TRUE(SameValue(field, live, expected)) << field.name << " in memory";
      EXPECT_TRUE(SameValue(field, stored, expected)) << field.name << " in the registry";
    }
  }
}

TEST(SelfExePages, APictureIsTakenOnlyByItsBmpExtensionInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"C:\\图片\\标志.bmp", true}, {"C:\\图片\\LOGO.BMP", true}, {"logo.Bmp", true}, {".bmp", true},
      {"logo.bmpx", false},         {"logo.png", false},          {"bmp", false},      {"", false},
      {"logo.bmp.png", false},
  };
  for (const auto& [path, accepted] : cases) {
    FakeMessageBoxes boxes;
    EXPECT_EQ(AcceptPictureName(path, boxes), accepted) << path;
    EXPECT_EQ(boxes.Ids(), accepted ? std::vector<int>{} : std::vector<int>{kTextOnlyBmpPictures}) << path;
  }
}

class PictureCheck : public ImageFolder {};

TEST_F(PictureCheck, ACustomPictureThatCannotBeOpenedKeepsThePage) {
  WriteWhole(Path("有.bmp"), "BM");
  struct Case {
    uint32_t custom;
    std::string path;
    bool readable;
  } cases[] = {
      {1, Path("有.bmp"), true}, {1, Path("没有.bmp"), false}, {1, dir, false}, {0, Path("没有.bmp"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SelfExeSettings edited;
    edited.m_customPicture = c.custom;
    edited.m_picturePath = c.path;
    FakeMessageBoxes boxes;
    EXPECT_EQ(PictureReadable(edited, boxes), c.readable);
    if (c.readable) {
      EXPECT_TRUE(boxes.Boxes().empty());
    } else {
      ASSERT_EQ(boxes.Boxes().size(), 1u);
      EXPECT_EQ(boxes.Boxes()[0].textId, kTextCannotOpen);
      EXPECT_EQ(boxes.Boxes()[0].text, "不能打开 " + c.path + "。");
      EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Error);
    }
  }
  SelfExeSettings unnamed;
  unnamed.m_customPicture = 1;
  FakeMessageBoxes boxes;
  EXPECT_FALSE(PictureReadable(unnamed, boxes));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kTextNoPictureChosen);
}

}  // namespace
