// The menu and accelerators diskelle.exe carries: the commands whose dialogs do not exist yet are greyed,
// every other command can be chosen, and only Ctrl+C, Ctrl+D and Ctrl+I are shortcuts.
#include "Scenario_win32.h"

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

TEST_F(MenuResources, CommandsWithoutTheirDialogsAreGreyed) {
  HMENU menu = ::LoadMenuW(module_, MAKEINTRESOURCEW(IDR_MAIN));
  ASSERT_NE(menu, nullptr);
  struct Case {
    int id;
    bool greyed;
  } cases[] = {
      {ID_CHANGE_DESCRIPTION, false}, {ID_CONVERT_IMAGE, false}, {ID_CHECK_INTEGRITY, false},
      {ID_APP_EXIT, false},           {ID_COMMAND_LINE_HELP, false}, {ID_SELF_EXE_SETTINGS, false},
      {ID_SETTINGS, true},            {ID_FEEDBACK, true},       {ID_NEWS, true},
      {ID_CHECK_UPDATES, true},       {ID_APP_ABOUT, true},
  };
  for (const Case& c : cases) {
    UINT state = ::GetMenuState(menu, static_cast<UINT>(c.id), MF_BYCOMMAND);
    ASSERT_NE(state, static_cast<UINT>(-1)) << c.id << " is missing";
    EXPECT_EQ((state & MF_GRAYED) != 0, c.greyed) << c.id;
  }
  ::DestroyMenu(menu);
}

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

}  // namespace
}  // namespace scenario
