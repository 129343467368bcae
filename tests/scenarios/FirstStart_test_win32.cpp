// The first start of this version: the association question comes before the main window, Yes associates
// .img and .imz with this diskelle.exe for the user, and the next start goes straight to the main window.
#include "Scenario_win32.h"

#include "base/Texts.h"
#include "settings/Settings.h"

namespace scenario {
namespace {

class FirstStart : public DiskelleScenario {
 protected:
  FirstStart() { RemoveUserAssociations(); }
  ~FirstStart() override { RemoveUserAssociations(); }
  void Close(const robot::Process& process) {
    HWND main = WaitForMainWindow(process.Id());
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  }
};

TEST_F(FirstStart, AsksOnceAndYesAssociatesBothTypes) {
  InsertFloppy();
  LeaveVersionMarkerToProgram();
  robot::Process& first = Start({});
  HWND box = WaitForMessageBox(first.Id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Text(box, robot::kMessageBoxTextId), Utf16(TextOf(kTextAskAssociate)));
  EXPECT_TRUE(MessageBoxHasIcon(box));
  EXPECT_EQ(FindMainWindow(first.Id()), nullptr) << "the question comes before the main window";
  EXPECT_EQ(StoredText(L"Software\\Kestrix Software\\Diskelle\\Info", L"Version"), Utf16(kProgramVersion))
      << "the marker is stored before the answer";
  Answer(box, IDYES);
  Close(first);

  std::wstring command = StoredText(L"Software\\Classes\\DiskelleFile\\Shell\\open\\command", nullptr);
  EXPECT_NE(command.find(DiskelleExecutable()), std::wstring::npos) << Utf8(command);
  EXPECT_EQ(StoredText(L"Software\\Classes\\.img", nullptr), L"DiskelleFile");
  EXPECT_EQ(StoredText(L"Software\\Classes\\.imz", nullptr), L"DiskelleCompressedFile");

  robot::Process& second = Start({});
  ASSERT_NE(WaitForMainWindow(second.Id()), nullptr);
  for (HWND window : VisibleWindows(second.Id())) EXPECT_FALSE(IsMessageBox(window)) << "asked a second time";
  Close(second);
}

}  // namespace
}  // namespace scenario
