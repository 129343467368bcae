// The first start of this version: the association question comes before the main window, Yes associates
// .img and .imz with this diskelle.exe for the user (the shell's commands then reach its operations), and
// the next start goes straight to the main window.
#include "Scenario_win32.h"

#include <shellapi.h>

#include "base/Texts.h"
#include "settings/Settings.h"
#include "support/ImageTestSupport.h"
#include "win32/MainDlgRes.h"

namespace scenario {
namespace {

// The arguments that the shell hands the program for a verb of .img files on file (the stored command with
// the file in place of %1, split as the system splits a command line); the command must name this program.
std::vector<std::wstring> VerbArguments(const std::wstring& verb, const std::string& file) {
  std::wstring key = L"Software\\Classes\\DiskelleFile\\Shell\\" + verb + L"\\command";
  std::wstring command = StoredText(key.c_str(), nullptr);
  std::size_t placeholder = command.find(L"%1");
  if (placeholder == std::wstring::npos) return {};
  command.replace(placeholder, 2, Utf16(file));
  int count = 0;
  LPWSTR* words = ::CommandLineToArgvW(command.c_str(), &count);
  if (!words) return {};
  std::vector<std::wstring> arguments(words, words + count);
  ::LocalFree(words);
  if (arguments.empty() || arguments[0] != DiskelleExecutable()) return {};
  return {arguments.begin() + 1, arguments.end()};
}

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

  // The shell's three commands for an image: open shows it, check and write run their jobs.
  std::string image = MakeImage("双击 的.img", FloppyBytes(1474560, 4), "");
  robot::Process& opened = Start(VerbArguments(L"open", image));
  HWND main = WaitForMainWindow(opened.Id());
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Text(main, IDC_SOURCE_PATH) == Utf16(image); }));
  Close(opened);
  const std::pair<const wchar_t*, int> jobs[] = {{L"check_integrity_of_image", kTextCrcGood},
                                                 {L"write_image_to_floppy_disk", kTextConfirmOverwriteDisk}};
  for (const auto& [verb, firstMessage] : jobs) {
    std::vector<std::wstring> arguments = VerbArguments(verb, image);
    ASSERT_FALSE(arguments.empty()) << Utf8(verb);
    robot::Process& job = Start(arguments);
    HWND message = WaitForMessageBox(job.Id());
    ASSERT_NE(message, nullptr) << Utf8(verb);
    EXPECT_EQ(Text(message, robot::kMessageBoxTextId), Utf16(TextOf(firstMessage)));
    Answer(message, firstMessage == kTextCrcGood ? IDOK : IDNO);
    EXPECT_TRUE(WaitForExit(job).has_value());
  }
}

}  // namespace
}  // namespace scenario
