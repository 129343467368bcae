// Changing the files on a disk in the Windows program: a new image from the File menu, and the files window
// adding (chosen or dropped), making a folder, deleting and saving; a damaged image keeps those commands
// greyed, and their tooltip says why.
#include <windows.h>
#include <commctrl.h>

#include "Scenario_win32.h"
#include "app/VolumeEdit.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "image/ImageSectors.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "win32/FilesDlgRes.h"
#include "win32/MainDlgRes.h"
#include "win32/NewFolderDlgRes.h"
#include "win32/NewImageDlgRes.h"

namespace scenario {
namespace {

using FileChanges = DiskelleScenario;

// Path -> size of the entries on the image's disk, as the reader lists them.
std::map<std::string, uint64_t> DiskOf(const std::string& image) {
  FakeMessageBoxes boxes;
  std::map<std::string, uint64_t> listing;
  std::optional<DiskSectors> disk = LoadImageSectors(image, boxes);
  if (!disk) return listing;
  std::optional<FatVolume> volume = FatVolume::Read(std::move(*disk));
  if (!volume) return listing;
  listing["label"] = volume->Label().size();
  for (const FatEntry& entry : volume->Entries()) listing[entry.path] = entry.size;
  return listing;
}

std::vector<std::wstring> Names(HWND files) {
  std::vector<std::wstring> names;
  for (const std::vector<std::wstring>& row : robot::ListViewRows(::GetDlgItem(files, IDC_FILES_LIST))) {
    names.push_back(row.empty() ? L"" : row[0]);
  }
  std::sort(names.begin(), names.end());
  return names;
}

HWND OpenFilesWindow(const robot::Process& process) {
  HWND main = WaitForMainWindow(process.Id());
  if (!main || !robot::ClickButton(main, IDC_SHOW_FILES)) return nullptr;
  return WaitForCaption(process.Id(), Utf16(kTextFilesCaption));
}

TEST_F(FileChanges, ANewImageFromTheFileMenuIsMadeAndOpened) {
  robot::Process& process = Start({});
  HWND main = WaitForMainWindow(process.Id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuNewImage));
  HWND dialog = WaitForCaption(process.Id(), L"新建映像");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog, IDC_NEW_IMAGE_FORMAT), L"1.44 MB");
  // A label FAT cannot hold keeps the dialog open after saying so.
  ASSERT_TRUE(TypeText(dialog, IDC_NEW_IMAGE_LABEL, L"a*b"));
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  HWND refused = WaitForMessageBox(process.Id());
  ASSERT_NE(refused, nullptr);
  EXPECT_EQ(Text(refused, robot::kMessageBoxTextId), Utf16(FormatText(TextOf(kTextChangeBadLabel), {"a*b"})));
  Answer(refused, IDOK);
  ASSERT_TRUE(TypeText(dialog, IDC_NEW_IMAGE_LABEL, L"driver disk"));
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  HWND save = WaitForDialog(process.Id(), [&](HWND d) { return d != dialog && !IsMainWindow(d); });
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(ChooseInFileDialog(save, WidePath("新盘.imz")));
  // Opened as the image to write: its path in the write half.
  ASSERT_TRUE(WaitUntil([&] { return Text(main, IDC_SOURCE_PATH) == WidePath("新盘.imz"); }));
  EXPECT_EQ(DiskOf(Path("新盘.imz")), (std::map<std::string, uint64_t>{{"label", 11}}));
  ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
}

TEST_F(FileChanges, TheFilesWindowChangesTheDiskAndSavesItWhenAsked) {
  FakeMessageBoxes boxes;
  const std::string image = Path("软盘.img");
  ASSERT_EQ(MakeBlankImage(image, {80, 18}, "", {}, boxes), 0);
  WriteWhole(Path("报告 1998.doc"), std::string(3000, 'r'));
  WriteWhole(Path("dropped.txt"), "dropped");
  StoreSetting(L"AdvancedMode", 1);
  robot::Process& process = Start({Utf16(image)});
  HWND files = OpenFilesWindow(process);
  ASSERT_NE(files, nullptr);
  for (int id : {IDC_FILES_ADD, IDC_FILES_NEW_FOLDER, IDC_FILES_DELETE}) EXPECT_TRUE(Enabled(files, id)) << id;
  EXPECT_FALSE(Enabled(files, IDC_FILES_SAVE));  // nothing to save yet

  // A folder, named in the dialog that asks for the name.
  ASSERT_TRUE(robot::ClickButton(files, IDC_FILES_NEW_FOLDER));
  HWND name = WaitForCaption(process.Id(), L"新建文件夹");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(Text(name, IDC_NEW_FOLDER_NAME), L"新建文件夹");
  ASSERT_TRUE(TypeText(name, IDC_NEW_FOLDER_NAME, L"数据"));
  ASSERT_TRUE(robot::ClickButton(name, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return Names(files) == std::vector<std::wstring>{L"数据"}; }));
  EXPECT_EQ(robot::TextOf(files), Utf16(kTextFilesCaptionUnsaved));
  // A file chosen in the open dialog, and one dropped on the window.
  ASSERT_TRUE(robot::ClickButton(files, IDC_FILES_ADD));
  HWND open = WaitForDialog(process.Id(), [&](HWND d) { return d != files && !IsMainWindow(d); });
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(ChooseInFileDialog(open, WidePath("报告 1998.doc")));
  ASSERT_TRUE(DropFiles(files, {WidePath("dropped.txt")}));
  const std::vector<std::wstring> all{L"dropped.txt", L"数据", L"报告 1998.doc"};
  std::vector<std::wstring> sorted = all;
  std::sort(sorted.begin(), sorted.end());
  ASSERT_TRUE(WaitUntil([&] { return Names(files) == sorted; })) << Names(files).size();
  // Deleted: the first row, chosen with the keyboard, after the question.
  ASSERT_TRUE(FocusControl(files, IDC_FILES_LIST) && PressKey(::GetDlgItem(files, IDC_FILES_LIST), VK_HOME));
  ASSERT_TRUE(WaitUntil([&] {
    return ::SendMessageW(::GetDlgItem(files, IDC_FILES_LIST), LVM_GETSELECTEDCOUNT, 0, 0) == 1;
  }));
  const std::vector<std::vector<std::wstring>> rows = robot::ListViewRows(::GetDlgItem(files, IDC_FILES_LIST));
  ASSERT_FALSE(rows.empty() || rows.front().empty());
  const std::wstring first = rows.front().front();
  ASSERT_TRUE(robot::ClickButton(files, IDC_FILES_DELETE));
  HWND question = WaitForMessageBox(process.Id());
  ASSERT_NE(question, nullptr);
  Answer(question, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return Names(files).size() == 2; }));
  const std::vector<std::wstring> left = Names(files);
  EXPECT_EQ(std::count(left.begin(), left.end(), first), 0);
  // Nothing reaches the image before 保存.
  EXPECT_EQ(DiskOf(image), (std::map<std::string, uint64_t>{{"label", 0}}));
  ASSERT_TRUE(robot::ClickButton(files, IDC_FILES_SAVE));
  ASSERT_TRUE(WaitUntil([&] { return robot::TextOf(files) == Utf16(kTextFilesCaption); }));
  std::map<std::string, uint64_t> expected{{"label", 0}, {"dropped.txt", 7}, {"数据/", 0}, {"报告 1998.doc", 3000}};
  expected.erase(Utf8(first) + (first == L"数据" ? "/" : ""));
  EXPECT_EQ(DiskOf(image), expected);
  ASSERT_TRUE(robot::ClickButton(files, IDCANCEL));
  ASSERT_TRUE(robot::WaitUntilClosed(files, kWaitMs));
  ASSERT_TRUE(::PostMessageW(FindMainWindow(process.Id()), WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
}

TEST_F(FileChanges, ADamagedImageKeepsTheCommandsGreyedAndSaysWhy) {
  FakeMessageBoxes boxes;
  const std::string blank = Path("blank.img");
  ASSERT_EQ(MakeBlankImage(blank, {80, 18}, "", {}, boxes), 0);
  std::string raw = ReadWhole(blank).substr(0, 1474560);
  raw.replace(2000 * 512, 22, "BAD SECTOR DUMMY BLOCK");
  const std::string image = MakeImage("救出.img", raw, "救出的磁盘");
  StoreSetting(L"AdvancedMode", 1);
  robot::Process& process = Start({Utf16(image)});
  HWND files = OpenFilesWindow(process);
  ASSERT_NE(files, nullptr);
  const std::wstring why = Utf16(FormatText(TextOf(kTextChangeImageDamaged), {image, 1}));
  for (int id : {IDC_FILES_ADD, IDC_FILES_NEW_FOLDER, IDC_FILES_DELETE, IDC_FILES_SAVE}) {
    EXPECT_FALSE(Enabled(files, id)) << id;
  }
  const std::vector<std::wstring> tips = robot::ToolTipTexts(files);
  EXPECT_EQ(std::count(tips.begin(), tips.end(), why), 4);
  EXPECT_FALSE(DropFiles(files, {WidePath("blank.img")}));  // the window takes no drops
  ASSERT_TRUE(robot::ClickButton(files, IDCANCEL));
  ASSERT_TRUE(robot::WaitUntilClosed(files, kWaitMs));
  ASSERT_TRUE(::PostMessageW(FindMainWindow(process.Id()), WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace scenario
