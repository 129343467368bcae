// The command line's way into the settings: NAME=VALUE parsed against the one table of settings, and a
// change stored so that the next start reads it.
#include "settings/SettingsTable.h"

#include <gtest/gtest.h>

#include "settings/Backends.h"

namespace {

TEST(SettingsTable, AssignmentsAreCheckedAgainstEachSettingsKindAndRange) {
  struct Case {
    std::string assignment;
    SettingRefusal refusal;
    std::string name;  // as the listing spells it
    uint32_t number;
    std::string text;
  } cases[] = {
      {"Sound=0", SettingRefusal::None, "Sound", 0, ""},
      {"sOUND=1", SettingRefusal::None, "Sound", 1, ""},
      {"Sound=2", SettingRefusal::OutOfRange, "Sound", 0, ""},
      {"Sound=-1", SettingRefusal::NotANumber, "Sound", 0, ""},
      {"Sound=+1", SettingRefusal::NotANumber, "Sound", 0, ""},
      {"Sound= 1", SettingRefusal::NotANumber, "Sound", 0, ""},
      {"Sound=", SettingRefusal::NotANumber, "Sound", 0, ""},
      {"LastUsedExt=3", SettingRefusal::None, "LastUsedExt", 3, ""},
      {"LastUsedExt=0", SettingRefusal::OutOfRange, "LastUsedExt", 0, ""},
      {"LastUpdate=4294967295", SettingRefusal::None, "LastUpdate", 4294967295u, ""},
      {"LastUpdate=4294967296", SettingRefusal::OutOfRange, "LastUpdate", 0, ""},
      {"fdletter=B:", SettingRefusal::None, "FDLetter", 0, "B:"},
      {"FDLetter=b:", SettingRefusal::NotAChoice, "FDLetter", 0, "b:"},
      {"self-exe.verifyformat=1", SettingRefusal::None, "Self-Exe.VerifyFormat", 1, ""},
      {"Self-Exe.CreateTitle=a=b", SettingRefusal::None, "Self-Exe.CreateTitle", 0, "a=b"},
      {"Self-Exe.PicturePath=", SettingRefusal::None, "Self-Exe.PicturePath", 0, ""},
      {"Self-Exe.CreateText=a\\r\\n\"", SettingRefusal::None, "Self-Exe.CreateText", 0, "a\\r\\n\""},
      {"Self-Exe.CreateText=\"a\\r\\n\\\"\\\\\\x41\"", SettingRefusal::None, "Self-Exe.CreateText", 0,
       "a\r\n\"\\A"},
      {"Self-Exe.CreateText=\"\"", SettingRefusal::None, "Self-Exe.CreateText", 0, ""},
      {"FDLetter=\"B:\"", SettingRefusal::None, "FDLetter", 0, "B:"},
      {"Self-Exe.CreateText=\"a\"b\"", SettingRefusal::BadQuoting, "Self-Exe.CreateText", 0, ""},
      {"Self-Exe.CreateText=\"a\\q\"", SettingRefusal::BadQuoting, "Self-Exe.CreateText", 0, ""},
      {"Self-Exe.CreateText=\"a\\x4\"", SettingRefusal::BadQuoting, "Self-Exe.CreateText", 0, ""},
      {"Self-Exe.CreateText=\"a\\\"", SettingRefusal::BadQuoting, "Self-Exe.CreateText", 0, ""},
      {"Self-Exe.LicenseText=" + std::string(8149, 'x'), SettingRefusal::None, "Self-Exe.LicenseText", 0,
       std::string(8149, 'x')},
      {"Self-Exe.LicenseText=" + std::string(8150, 'x'), SettingRefusal::TooLong, "Self-Exe.LicenseText", 0,
       std::string(8150, 'x')},
      {"Self-Exe.LicenseTitle=\xff", SettingRefusal::NotText, "Self-Exe.LicenseTitle", 0, "\xff"},
      {"Self-Exe.FDLetter=A:", SettingRefusal::UnknownName, "Self-Exe.FDLetter", 0, ""},
      {"CustomPicture=1", SettingRefusal::UnknownName, "CustomPicture", 0, ""},
      {"Self-Exe.=1", SettingRefusal::UnknownName, "Self-Exe.", 0, ""},
      {"Sound", SettingRefusal::NotAnAssignment, "", 0, ""},
      {"=1", SettingRefusal::NotAnAssignment, "", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.assignment.substr(0, 40));
    SettingChange change = ParseSettingChange(c.assignment);
    EXPECT_EQ(change.refusal, c.refusal);
    EXPECT_EQ(change.name, c.name);
    if (c.refusal == SettingRefusal::None) {
      EXPECT_EQ(change.number, c.number);
      EXPECT_EQ(change.text, c.text);
    }
  }
}

TEST(SettingsTable, AStoredChangeIsWhatTheNextStartReadsAndTouchesNothingElse) {
  for (const BackendUnderTest& backend : RegistryBackendsUnderTest()) {
    SCOPED_TRACE(backend.name);
    std::unique_ptr<IRegistryBackend> registry = backend.makeEmpty();
    AppSettings app;
    SelfExeSettings selfExe;
    LoadSettings(*registry, 5, app, selfExe);
    for (const char* assignment : {"Self-Exe.VerifyWrite=0", "FDLetter=B:", "Sound=0"}) {
      ASSERT_TRUE(StoreSettingChange(*registry, ParseSettingChange(assignment), app, selfExe)) << assignment;
    }
    EXPECT_FALSE(StoreSettingChange(*registry, ParseSettingChange("Sound=7"), app, selfExe));

    AppSettings readApp;
    SelfExeSettings readSelfExe;
    LoadSettings(*registry, 5, readApp, readSelfExe);
    std::vector<SettingLine> expected = ListSettings(app, selfExe);
    std::vector<SettingLine> read = ListSettings(readApp, readSelfExe);
    ASSERT_EQ(read.size(), expected.size());
    int changed = 0;
    for (std::size_t i = 0; i < read.size(); ++i) {
      EXPECT_EQ(read[i].value, expected[i].value) << read[i].name;
      changed += read[i].value != read[i].defaultValue;
    }
    EXPECT_EQ(changed, 3);
    EXPECT_EQ(readSelfExe.m_verifyWrite, 0u);
    EXPECT_EQ(readApp.m_verifyWrite, 1u);  // the Settings key's value of the same name keeps its default
    EXPECT_EQ(readApp.m_fdLetter, "B:");
    EXPECT_EQ(readApp.m_sound, 0u);
  }
}

}  // namespace
