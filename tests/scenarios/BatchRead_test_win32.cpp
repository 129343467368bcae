// Reading the floppy from the command line ("/r"): the image written, the progress window and its
// cancellation, and the emergency read with its report.
#include <windows.h>
#include <commctrl.h>

#include <regex>

#include "Scenario_win32.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "image/ImageInfo.h"
#include "image/RescueMap.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "ui/ProgressDlgRes.h"
#include "win32/BadSectorDlgRes.h"

namespace scenario {
namespace {

using BatchRead = DiskelleScenario;


std::string DiskBytes(const VirtualFloppy& floppy) {
  std::vector<uint8_t> sectors = SectorsOf(floppy, 0, 2880);
  return std::string(sectors.begin(), sectors.end());
}

bool IsProgressWindow(HWND window) { return ::GetDlgItem(window, IDC_PROGRESS_STATUS) != nullptr; }

TEST_F(BatchRead, ReadsTheWholeDiskIntoTheImageWithTheDescriptionGiven) {
  VirtualFloppy floppy = InsertFloppy();
  std::string target = Path("读出 1.img");
  robot::Process& process = Start({L"/r", L"/o", Utf16(target), L"/d", L"第一张 软盘"});
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  std::string file = ReadWhole(target);
  ASSERT_EQ(file.size(), kDiskBytes + 1024);
  EXPECT_TRUE(file.compare(0, kDiskBytes, DiskBytes(floppy)) == 0) << "the image differs from the disk";
  FakeMessageBoxes boxes;
  CImageInfo image;
  ASSERT_EQ(image.LoadInfo(target, boxes), 0);
  EXPECT_EQ(image.m_description, "第一张 软盘");
  EXPECT_EQ(image.m_checksum, ReferenceCrc(std::string_view(file).substr(0, kDiskBytes)));
  EXPECT_EQ(image.m_totalBytes, 1457664) << "the FAT12 volume's size";
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"a.vfd", "读出 1.img"}));
}

TEST_F(BatchRead, TheProgressWindowShowsTheReadAndCancellingLeavesNoFile) {
  InsertFloppy();
  robot::Process& process = Start({L"/r", L"/o", WidePath("取消.imz")}, {{L"DISKELLE_DRIVE_DELAY_MS", L"1500"}});
  HWND progress = WaitForDialog(process.Id(), IsProgressWindow);
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(FindMainWindow(process.Id()) && !::IsWindowVisible(FindMainWindow(process.Id())))
      << "a batch run keeps its main window hidden";
  // Each track side takes 1.5 s: the texts stay long enough to be read.
  ASSERT_TRUE(WaitUntil([&] { return Text(progress, IDC_PROGRESS_STATUS) == L"正在读取软盘 (1440 kB)"; }));
  std::string speed = Utf8(Text(progress, IDC_PROGRESS_SPEED));
  EXPECT_TRUE(std::regex_match(speed, std::regex(R"(\d+ KB 已被复制 \([0-9.]+ KB/秒\))"))) << speed;
  EXPECT_TRUE(std::regex_match(Utf8(robot::TextOf(progress)), std::regex(R"(进展 \[\d+%\])")));

  ::SendMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(Text(progress, IDC_PROGRESS_STATUS), Utf16(kTextCancelling));
  EXPECT_EQ(robot::TextOf(progress), Utf16(kTextCancelledCaption));
  EXPECT_EQ(::SendDlgItemMessageW(progress, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(1));
  EXPECT_EQ(FileNames(), std::vector<std::string>{"a.vfd"}) << "a cancelled read leaves no file behind";
}

TEST_F(BatchRead, AnEmergencyReadReportsTheUnreadableSector) {
  StoreSetting(L"Emergency", 1);
  VirtualFloppy floppy = InsertFloppy();
  MarkSector(floppy, 37, kSlotUnreadable);
  InsertFloppy(floppy);
  std::string target = Path("紧急.img");
  robot::Process& process = Start({L"/r", L"/o", Utf16(target)});

  HWND notice = WaitForMessageBox(process.Id());
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(Text(notice, robot::kMessageBoxTextId), Utf16(TextOf(kTextEmergencyActive)));
  EXPECT_TRUE(MessageBoxHasIcon(notice)) << "an information box shows its icon";
  Answer(notice, IDOK);

  HWND report = WaitForCaption(process.Id(), Utf16(kTextReportCaption));
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(robot::ListViewRows(::GetDlgItem(report, IDC_BAD_LIST)),
            (std::vector<std::vector<std::wstring>>{{L"38 / 18944 字节 (18.5 kB)", L"低"}}));
  EXPECT_EQ(Text(report, IDC_BAD_TOTAL), L"1 / 2880 (0.03%)");
  EXPECT_EQ(Text(report, IDC_BAD_SIZE), L"0.5kB / 1440kB");
  EXPECT_EQ(Text(report, IDC_BAD_DISTRIBUTION), L"0 高 (0%) - 1 低 (100%)");
  HWND map = ::GetDlgItem(report, IDC_BAD_MAP);
  RECT area{};
  ASSERT_TRUE(map && ::IsWindowVisible(map) && ::GetClientRect(map, &area));
  EXPECT_GE(area.right, 80 * 4) << "a few pixels for every track";
  EXPECT_GE(area.bottom, 2 * 18 * 3);
  EXPECT_EQ(Text(report, IDC_BAD_MAP_GROUP), Utf16(kTextMapGroup));
  ASSERT_TRUE(robot::ClickButton(report, IDOK));
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));

  std::string file = ReadWhole(target);
  ASSERT_GE(file.size(), kDiskBytes);
  EXPECT_EQ(file.substr(18944, 22), "BAD SECTOR DUMMY BLOCK");
  EXPECT_EQ(file.substr(18944 + 22, 490), std::string(490, '\0'));
  EXPECT_EQ(file.substr(0, 18944), DiskBytes(floppy).substr(0, 18944));
  EXPECT_EQ(file.substr(19456, kDiskBytes - 19456), DiskBytes(floppy).substr(19456));
}

// Under /s nobody can be asked whether to go on with a rescue: the read is refused, image and map kept.
TEST_F(BatchRead, UnderSuppressARescueIsNeitherReadOverNorResumed) {
  StoreSetting(L"Emergency", 1);
  VirtualFloppy floppy = InsertFloppy();
  MarkSector(floppy, 37, kSlotUnreadable);
  InsertFloppy(floppy);
  std::string target = Path("rescue.img");
  robot::Process& rescue = Start({L"/r", L"/o", Utf16(target), L"/s"});
  HWND report = WaitForCaption(rescue.Id(), Utf16(kTextReportCaption));
  ASSERT_NE(report, nullptr);
  ASSERT_TRUE(robot::ClickButton(report, IDOK));
  ASSERT_EQ(WaitForExit(rescue), std::optional<DWORD>(0));
  std::string image = ReadWhole(target);
  std::string map = ReadWhole(RescueMapPathOf(target));
  InsertFloppy();  // a drive that reads every sector

  robot::Process& process = Start({L"/r", L"/o", Utf16(target), L"/s"});
  HWND refusal = WaitForMessageBox(process.Id());
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(Text(refusal, robot::kMessageBoxTextId),
            Utf16(FormatText(TextOf(kTextRescueUnfinishedAsk), {target, RescueMapPathOf(target)})));
  Answer(refusal, IDOK);
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(1));
  EXPECT_EQ(ReadWhole(target), image);
  EXPECT_EQ(ReadWhole(RescueMapPathOf(target)), map);
}

}  // namespace
}  // namespace scenario
