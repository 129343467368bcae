// Working in the main window with its file dialogs: changing a description, reading a disk into a target
// chosen in the save dialog, checking the loaded image.
#include "Scenario_win32.h"

#include <dlgs.h>

#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "image/Conversion.h"
#include "image/Integrity.h"
#include "image/DescriptionChange.h"
#include "image/ImageInfo.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "ui/ProgressDlgRes.h"
#include "win32/DescriptionDlgRes.h"
#include "win32/MainDlgRes.h"

namespace scenario {
namespace {

class Interactive : public DiskelleScenario {
 protected:
  HWND StartInteractive(robot::Process*& process, const std::vector<std::wstring>& arguments = {}) {
    process = &Start(arguments);
    return WaitForMainWindow(process->Id());
  }
  void Close(const robot::Process& process, HWND main) {
    ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  }
  // Runs a command that begins with a file dialog and chooses path in it.
  void ChooseThrough(const robot::Process& process, const wchar_t* title, const std::string& path) {
    HWND dialog = WaitForCaption(process.Id(), title);
    ASSERT_NE(dialog, nullptr) << Utf8(title);
    ASSERT_TRUE(ChooseInFileDialog(dialog, Utf16(path)));
    ASSERT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
  }
};

CImageInfo Loaded(const std::string& path) {
  FakeMessageBoxes boxes;
  CImageInfo image;
  EXPECT_EQ(image.LoadInfo(path, boxes), 0) << path;
  return image;
}

TEST_F(Interactive, ChangingTheDescriptionWritesANewTrailerAndKeepsTheData) {
  InsertFloppy();
  std::string raw = FloppyBytes(1474560, 8);
  std::string path = MakeImage("描述 盘.img", raw, "旧的描述");
  uint32_t checksum = Loaded(path).m_checksum;
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process);
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuChangeDescription));
  ChooseThrough(*process, L"打开映像文件", path);
  HWND dialog = WaitForCaption(process->Id(), Utf16(kTextDescriptionDlgCaption));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog, IDC_DESCRIPTION_PATH), Utf16(path));
  EXPECT_EQ(Text(dialog, IDC_DESCRIPTION_TEXT), L"旧的描述");
  ASSERT_TRUE(TypeText(dialog, IDC_DESCRIPTION_TEXT, L"新的 描述，改过了"));
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  ASSERT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));

  CImageInfo changed = Loaded(path);
  EXPECT_EQ(changed.m_description, "新的 描述，改过了");
  EXPECT_EQ(changed.m_checksum, checksum);
  std::string file = ReadWhole(path);
  EXPECT_EQ(file.size(), raw.size() + 1024);
  EXPECT_TRUE(file.compare(0, raw.size(), raw) == 0) << "the data before the trailer changed";
  Close(*process, main);
}

TEST_F(Interactive, AnImageWithoutTrailerMustBeConvertedBeforeItsDescriptionChanges) {
  InsertFloppy();
  std::string path = Path("无尾.img");
  WriteWhole(path, FloppyBytes(1474560, 8));
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuChangeDescription));
  ChooseThrough(*process, L"打开映像文件", path);
  HWND box = WaitForMessageBox(process->Id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Text(box, robot::kMessageBoxTextId), Utf16(TextOf(kTextConvertToNewFormatFirst)));
  Answer(box, IDOK);
  EXPECT_EQ(WaitForCaption(process->Id(), Utf16(kTextDescriptionDlgCaption), 0), nullptr);
  Close(*process, main);
}

TEST_F(Interactive, EnterInTheDescriptionReadsTheDiskIntoTheTargetChosen) {
  VirtualFloppy floppy = InsertFloppy();
  std::string target = Path("窗口 读出.img");
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process);
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(robot::ClickButton(main, IDC_CHOOSE_TARGET));
  ChooseThrough(*process, L"保存映像文件", target);
  ASSERT_TRUE(WaitUntil([&] { return Text(main, IDC_TARGET_PATH) == Utf16(target); }));
  EXPECT_TRUE(Enabled(main, IDC_READ_START));
  EXPECT_TRUE(Visible(main, IDC_TARGET_DESCRIPTION));
  EXPECT_EQ(Text(main, IDC_TARGET_DESCRIPTION), Utf16(kTextDescriptionPrompt));
  GUITHREADINFO focus{};
  focus.cbSize = sizeof focus;
  ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &focus));
  EXPECT_EQ(focus.hwndFocus, ::GetDlgItem(main, IDC_TARGET_DESCRIPTION)) << "the description is next to type";

  ASSERT_TRUE(TypeText(main, IDC_TARGET_DESCRIPTION, L"窗口里 输入的"));
  ASSERT_TRUE(PressKey(::GetDlgItem(main, IDC_TARGET_DESCRIPTION), VK_RETURN));
  ASSERT_TRUE(WaitUntil([&] { return ReadWhole(target).size() == 1474560 + 1024; }));
  // The read has ended once the main window takes input again.
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main) != FALSE; }));
  EXPECT_TRUE(::IsWindowVisible(main)) << "Enter must not end the main window";
  EXPECT_EQ(Loaded(target).m_description, "窗口里 输入的");
  std::vector<uint8_t> disk = SectorsOf(floppy, 0, 2880);
  EXPECT_TRUE(ReadWhole(target).compare(0, disk.size(), std::string(disk.begin(), disk.end())) == 0);
  Close(*process, main);
  EXPECT_EQ(StoredSetting(L"Software\\Kestrix Software\\Diskelle\\Settings", L"LastUsedExt"), std::optional<DWORD>(2))
      << "the .img target is remembered for the next save dialog";
}

TEST_F(Interactive, TheIntegrityButtonChecksTheLoadedImage) {
  StoreSetting(L"AdvancedMode", 1);
  InsertFloppy();
  std::string path = MakeImage("查 一下.img", FloppyBytes(1474560, 12), "");
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process, {Utf16(path)});
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(Enabled(main, IDC_INTEGRITY));
  ASSERT_TRUE(robot::ClickButton(main, IDC_INTEGRITY));
  HWND box = WaitForMessageBox(process->Id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Text(box, robot::kMessageBoxTextId), Utf16(TextOf(kTextCrcGood)));
  Answer(box, IDOK);
  Close(*process, main);
}

TEST_F(Interactive, TheSaveDialogRefusesAReadOnlyFileAndAsksBeforeReplacingOne) {
  InsertFloppy();
  std::string locked = MakeImage("只读.img", FloppyBytes(1474560, 1), "");
  std::string existing = MakeImage("已有.img", FloppyBytes(1474560, 2), "");
  ASSERT_TRUE(::SetFileAttributesW(Utf16(locked).c_str(), FILE_ATTRIBUTE_READONLY));
  struct Case {
    std::string path;
    std::wstring message;
    int answer;
    bool chosen;
  } cases[] = {
      {locked, Utf16(locked + " 是只读属性。"), IDOK, false},
      {existing, Utf16(existing + " 已经存在。\n你想要替换它吗？"), IDNO, false},
      {existing, Utf16(existing + " 已经存在。\n你想要替换它吗？"), IDYES, true},
  };
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process);
  ASSERT_NE(main, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.message));
    ASSERT_TRUE(robot::ClickButton(main, IDC_CHOOSE_TARGET));
    ChooseThrough(*process, L"保存映像文件", c.path);
    HWND box = WaitForMessageBox(process->Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(box, robot::kMessageBoxTextId), c.message);
    Answer(box, c.answer);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main) != FALSE; }));
    EXPECT_EQ(Text(main, IDC_TARGET_PATH), c.chosen ? Utf16(c.path) : L"");
    EXPECT_EQ(Enabled(main, IDC_READ_START), c.chosen);
  }
  Close(*process, main);
  ::SetFileAttributesW(Utf16(locked).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadWhole(existing).size(), 1474560u + 1024) << "choosing a target writes nothing yet";
}

TEST_F(Interactive, TheWindowReturnsWhereTheUserLeftIt) {
  InsertFloppy();
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(::SetWindowPos(main, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  Close(*process, main);
  EXPECT_EQ(StoredSetting(L"Software\\Kestrix Software\\Diskelle\\Init", L"HorizPos"), std::optional<DWORD>(123));
  main = StartInteractive(process);
  ASSERT_NE(main, nullptr);
  RECT rect;
  ::GetWindowRect(main, &rect);
  EXPECT_EQ(rect.left, 123);
  EXPECT_EQ(rect.top, 77);
  Close(*process, main);
}

TEST_F(Interactive, ConvertingThroughTheMenuAsksForTheSourceAndTheDestination) {
  InsertFloppy();
  std::string raw = FloppyBytes(1474560, 21);
  std::string source = MakeImage("菜单 源.img", raw, "菜单里转换的");
  std::string target = Path("菜单 目标.imz");
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuConvertImage));
  ChooseThrough(*process, L"打开映像文件", source);
  ChooseThrough(*process, L"保存映像文件", target);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main) != FALSE && !ReadWhole(target).empty(); }));
  CImageInfo converted = Loaded(target);
  EXPECT_EQ(converted.m_description, "菜单里转换的");
  FakeMessageBoxes boxes;
  EXPECT_EQ(CheckIntegrity(converted, boxes), IntegrityResult::Good);
  ImageBuffer buffer;
  ASSERT_EQ(LoadImageFile(converted, buffer, boxes), 0);
  EXPECT_TRUE(std::string(buffer.bytes.begin(), buffer.bytes.begin() + static_cast<std::ptrdiff_t>(buffer.count)) == raw);
  Close(*process, main);
  EXPECT_EQ(StoredSetting(L"Software\\Kestrix Software\\Diskelle\\Settings", L"LastUsedExt"), std::optional<DWORD>(1));
}

// The description preview below the open dialog's own controls (in its child dialog).
HWND PreviewOf(HWND openDialog) {
  for (HWND child = nullptr; (child = ::FindWindowExW(openDialog, child, L"#32770", nullptr)) != nullptr;) {
    if (::GetDlgItem(child, IDC_PREVIEW_TEXT)) return child;
  }
  return nullptr;
}

TEST_F(Interactive, TheOpenDialogPreviewsTheDescriptionOfTheSelectedImage) {
  InsertFloppy();
  MakeImage("预览.img", FloppyBytes(1474560, 41), "预览里的 描述");
  // The open dialog starts in the program's working folder.
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(WidePath("").c_str()));
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process);
  ::SetCurrentDirectoryW(previous);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(robot::ClickButton(main, IDC_CHOOSE_SOURCE));
  HWND dialog = WaitForCaption(process->Id(), L"打开映像文件");
  ASSERT_NE(dialog, nullptr);
  HWND preview = PreviewOf(dialog);
  ASSERT_NE(preview, nullptr);
  EXPECT_FALSE(Visible(preview, IDC_PREVIEW_TEXT)) << "nothing is selected yet";
  // Every form that can be opened is among the images, and another tool's forms have their own filters too.
  const std::vector<std::wstring> filters = robot::ComboItems(dialog, cmb1);
  ASSERT_EQ(filters.size(), 6u);
  for (const wchar_t* pattern : {L"*.imz", L"*.img", L"*.ima", L"*.flp", L"*.exe", L"*.imd", L"*.td0", L"*.scp", L"*.raw"}) {
    EXPECT_NE(filters[0].find(pattern), std::wstring::npos) << pattern;
  }
  EXPECT_EQ(std::vector<std::wstring>(filters.begin() + 1, filters.end() - 1),
            (std::vector<std::wstring>{L"ImageDisk 映像文件 (*.imd)", L"Teledisk 映像文件 (*.td0)",
                                       L"SuperCard Pro 磁通记录 (*.scp)", L"KryoFlux 磁通流文件 (*.raw)"}));
  HWND view = ::FindWindowExW(::FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr), nullptr,
                              L"SysListView32", nullptr);
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(PressKey(view, VK_HOME));
  ASSERT_TRUE(PressKey(view, VK_SPACE));
  ASSERT_TRUE(WaitUntil([&] { return Visible(preview, IDC_PREVIEW_TEXT); }));
  EXPECT_EQ(Text(preview, IDC_PREVIEW_TEXT), L"预览里的 描述");
  EXPECT_TRUE(Visible(preview, IDC_PREVIEW_LABEL));
  ASSERT_TRUE(robot::PostCommand(dialog, IDCANCEL));
  ASSERT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
  EXPECT_EQ(Text(main, IDC_SOURCE_PATH), L"") << "cancelling the dialog changes nothing";
  Close(*process, main);
}

TEST_F(Interactive, OfThreeDroppedFilesOnlyTheFirstIsOpened) {
  InsertFloppy();
  std::vector<std::string> files = {MakeImage("拖 1.img", FloppyBytes(1474560, 31), "第一个"),
                                    MakeImage("拖 2.img", FloppyBytes(1474560, 32), "第二个"),
                                    MakeImage("拖 3.img", FloppyBytes(1474560, 33), "第三个")};
  robot::Process* process = nullptr;
  HWND main = StartInteractive(process);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(DropFiles(main, {Utf16(files[0]), Utf16(files[1]), Utf16(files[2])}));
  ASSERT_TRUE(WaitUntil([&] { return Text(main, IDC_SOURCE_PATH) == Utf16(files[0]); }));
  EXPECT_EQ(Text(main, IDC_SOURCE_DESCRIPTION), L"第一个");
  Close(*process, main);
}

}  // namespace
}  // namespace scenario
