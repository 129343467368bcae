// The menu and accelerators diskelle.exe carries: every command opens its window when a person types its
// mnemonics, and only Ctrl+C, Ctrl+D and Ctrl+I are shortcuts.
#include "Scenario_win32.h"

#include "base/Texts.h"
#include "net/Server.h"
#include "support/TestHttpServer.h"
#include "win32/MainDlgRes.h"

namespace scenario {
namespace {

class MenuResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::LoadLibraryExW(DiskelleExecutable().c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(MenuResources, ExactlyThreeControlShortcuts) {
  HACCEL table = ::LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDR_MAIN));
  ASSERT_NE(table, nullptr);
  ACCEL entries[8] = {};
  int count = ::CopyAcceleratorTableW(table, entries, 8);
  ASSERT_EQ(count, 3);
  std::vector<std::pair<WORD, WORD>> shortcuts;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(entries[i].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), FVIRTKEY | FCONTROL);
    shortcuts.emplace_back(entries[i].key, entries[i].cmd);
  }
  EXPECT_EQ(shortcuts, (std::vector<std::pair<WORD, WORD>>{
                           {'C', ID_CONVERT_IMAGE}, {'D', ID_CHANGE_DESCRIPTION}, {'I', ID_CHECK_INTEGRITY}}));
}

class Menu : public DiskelleScenario {};

// A fresh start (past the version's first-start question): each command, typed as a person types it,
// opens its window, and 退出 ends the program.
TEST_F(Menu, EveryCommandOpensItsWindowFromItsMnemonics) {
  TestHttpServer server;
  ASSERT_TRUE(server.Start());
  server.Answer(kUpdateFilePath, {200, "OK", "https://dl.example.org/\n$VERSION\n2.2.5\n", {}});
  server.Answer(kNewsFilePath, {200, "OK", "n/a\n\nHello\n", {}});
  robot::Process& program = Start({}, {{L"DISKELLE_SERVER", Utf16(server.Address())}});
  HWND main = WaitForMainWindow(program.Id());
  ASSERT_NE(main, nullptr);
  const std::pair<robot::MenuItem, const char*> commands[] = {
      {kMenuNewImage, "新建映像"},
      {kMenuChangeDescription, kTextOpenImageTitle}, {kMenuConvertImage, kTextOpenImageTitle},
      {kMenuCheckIntegrity, kTextOpenImageTitle},    {kMenuSelfExeSettings, kTextSelfExeSheetCaption},
      {kMenuSettings, kTextSettingsCaption},         {kMenuCommandLineHelp, kTextHelpCaption},
      {kMenuFeedback, kTextFeedbackDlgCaption},      {kMenuNews, kTextNewsDlgCaption},
      {kMenuCheckUpdates, kTextUpdateDlgCaption},    {kMenuAbout, kTextAboutCaption},
  };
  for (const auto& [item, caption] : commands) {
    SCOPED_TRACE(caption);
    ASSERT_TRUE(robot::ChooseMenuItem(main, item));
    HWND window = WaitForCaption(program.Id(), Utf16(caption));
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(::PostMessageW(window, WM_CLOSE, 0, 0));
    ASSERT_TRUE(robot::WaitUntilClosed(window, kWaitMs));
  }
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuExit));
  EXPECT_EQ(WaitForExit(program), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace scenario
