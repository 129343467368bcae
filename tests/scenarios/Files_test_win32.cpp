// The files on a loaded image's disk (advanced mode): the window's folder tree and list, extraction into a
// folder chosen in the system's folder dialog, and the damaged files in the report of an emergency read.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "FatDisk_win32.h"
#include "Scenario_win32.h"
#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "base/BadSectorMarker.h"
#include "support/ImageTestSupport.h"
#include "win32/BadSectorDlgRes.h"
#include "win32/FilesDlgRes.h"
#include "win32/MainDlgRes.h"

namespace scenario {
namespace {

using Files = DiskelleScenario;

using Rows = std::vector<std::vector<std::wstring>>;

// Name, size and state of each row (the dates are those of the copies mtools made).
Rows NameSizeState(HWND dialog) {
  Rows rows;
  for (const std::vector<std::wstring>& row : robot::ListViewRows(::GetDlgItem(dialog, IDC_FILES_LIST))) {
    rows.push_back(row.size() == 4 ? std::vector<std::wstring>{row[0], row[1], row[3]} : row);
  }
  return rows;
}

// Clicks 提取..., chooses folder in the folder dialog; returns the box that follows (the extraction's end).
HWND ExtractInto(const robot::Process& process, HWND files, const std::wstring& folder) {
  if (!robot::ClickButton(files, IDC_FILES_EXTRACT)) {
    ADD_FAILURE() << "提取... could not be clicked";
    return nullptr;
  }
  HWND dialog = WaitForDialog(process.Id(), [files](HWND d) { return d != files && !IsMainWindow(d) && ::IsWindowVisible(d); });
  if (!dialog) {
    ADD_FAILURE() << "the folder dialog never showed";
    return nullptr;
  }
  if (!ChooseInFileDialog(dialog, folder)) return nullptr;
  HWND box = WaitForMessageBox(process.Id());
  if (!box) ADD_FAILURE() << "no message box ended the extraction";
  return box;
}

// Folders an earlier run left (the workspace removes only files).
void RemoveFolder(const std::wstring& folder) {
  std::wstring from = folder + L'\0';
  SHFILEOPSTRUCTW remove{};
  remove.wFunc = FO_DELETE;
  remove.pFrom = from.c_str();
  remove.fFlags = FOF_NO_UI;
  ::SHFileOperationW(&remove);
}

TEST_F(Files, TheWindowListsTheDiskAndExtractsItWithTheDamagedFileMarked) {
  const std::wstring target = WidePath("提取");
  RemoveFolder(target);
  ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
  std::optional<FatDisk> disk = MakeFatDisk(*this);
  ASSERT_TRUE(disk) << "mtools made no disk";
  const std::string image = MakeImage("救出.img", WithBadSector(disk->raw, disk->bigFirstSector + 1), "救出的磁盘");
  StoreSetting(L"AdvancedMode", 1);
  robot::Process& process = Start({Utf16(image)});
  HWND main = WaitForMainWindow(process.Id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(Visible(main, IDC_SHOW_FILES) && Enabled(main, IDC_SHOW_FILES));
  ASSERT_TRUE(robot::ClickButton(main, IDC_SHOW_FILES));
  HWND files = WaitForCaption(process.Id(), L"文件");
  ASSERT_NE(files, nullptr);

  EXPECT_EQ(Text(files, IDC_FILES_SUMMARY), L"卷标: RESCUED    2 个文件，1 个文件夹；1 个已损坏，0 个位置不明");
  EXPECT_EQ(Text(files, IDC_FILES_AREAS), L"坏扇区: 文件: 1 个坏扇区");
  EXPECT_EQ(NameSizeState(files), (Rows{{L"DOCS", L"", L"完好"}, {L"README.TXT", L"5,000", L"完好"}}));
  // Down in the tree opens the folder below the root.
  ASSERT_TRUE(FocusControl(files, IDC_FILES_TREE) && PressKey(::GetDlgItem(files, IDC_FILES_TREE), VK_DOWN));
  const Rows docs{{L"BIG.BIN", L"3,000", L"已损坏 (1/6 扇区)"}};
  EXPECT_TRUE(WaitUntil([&] { return NameSizeState(files) == docs; }));

  // Nothing chosen: everything.
  HWND done = ExtractInto(process, files, target);
  ASSERT_NE(done, nullptr);
  const std::wstring message = Text(done, robot::kMessageBoxTextId);
  EXPECT_EQ(message.find(L"已将 2 个文件提取到 "), 0u) << Utf8(message);
  EXPECT_NE(message.find(L"下列文件已损坏，坏扇区处写入了标记块:\nDOCS/BIG.BIN"), std::wstring::npos);
  Answer(done, IDOK);
  EXPECT_EQ(ReadWhole(Path("提取\\README.TXT")), std::string(5000, 'r')) << Utf8(message);
  const std::string big = ReadWhole(Path("提取\\DOCS\\BIG.BIN"));
  ASSERT_EQ(big.size(), 3000u);
  EXPECT_EQ(big.substr(0, 512), std::string(512, 'b'));
  EXPECT_TRUE(IsBadSectorMarker(reinterpret_cast<const uint8_t*>(big.data()) + 512));
  EXPECT_EQ(big.substr(1024), std::string(3000 - 1024, 'b'));

  // Again: the files are there now, and No keeps them.
  WriteWhole(Path("提取\\README.TXT"), "mine");
  HWND question = ExtractInto(process, files, target);
  ASSERT_NE(question, nullptr);
  EXPECT_NE(Text(question, robot::kMessageBoxTextId).find(L"DOCS/BIG.BIN\nREADME.TXT\n\n你想要替换它们吗？"),
            std::wstring::npos);
  Answer(question, IDNO);
  HWND kept = WaitForMessageBox(process.Id());
  ASSERT_NE(kept, nullptr);
  EXPECT_NE(Text(kept, robot::kMessageBoxTextId).find(L"下列文件已经存在，未替换:\nDOCS/BIG.BIN\nREADME.TXT"),
            std::wstring::npos);
  Answer(kept, IDOK);
  EXPECT_EQ(ReadWhole(Path("提取\\README.TXT")), "mine");

  ASSERT_TRUE(robot::ClickButton(files, IDCANCEL));
  ASSERT_TRUE(robot::WaitUntilClosed(files, kWaitMs));
  ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  RemoveFolder(target);
  RemoveFolder(WidePath("mtools"));
}

TEST_F(Files, TheReportOfAnEmergencyReadNamesTheDamagedFiles) {
  std::optional<FatDisk> disk = MakeFatDisk(*this);
  ASSERT_TRUE(disk) << "mtools made no disk";
  StoreSetting(L"Emergency", 1);
  VirtualFloppy floppy = InsertFloppy();
  for (int64_t sector = 0; sector < floppy.SlotCount(); ++sector) {
    std::memcpy(floppy.SlotData(floppy.SlotOfSector(sector)), disk->raw.data() + sector * 512, 512);
  }
  MarkSector(floppy, disk->bigFirstSector + 2, kSlotUnreadable);
  InsertFloppy(floppy);
  robot::Process& process = Start({L"/r", L"/o", WidePath("紧急.img")});
  if (HWND notice = WaitForMessageBox(process.Id())) Answer(notice, IDOK);
  // Emergency reading tries an unreadable sector again and again.
  HWND report = WaitForCaption(process.Id(), Utf16(kTextReportCaption));
  ASSERT_NE(report, nullptr) << "the report of the emergency read never showed";
  EXPECT_TRUE(Visible(report, IDC_BAD_FILES_LIST));
  EXPECT_EQ(robot::ListViewRows(::GetDlgItem(report, IDC_BAD_FILES_LIST)),
            (Rows{{L"DOCS/BIG.BIN", L"已损坏 (1/6 扇区)"}}));
  EXPECT_EQ(Text(report, IDC_BAD_FILES_AREAS), L"坏扇区: 文件: 1 个坏扇区");
  ASSERT_TRUE(robot::ClickButton(report, IDOK));
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  RemoveFolder(WidePath("mtools"));
}

}  // namespace
}  // namespace scenario
