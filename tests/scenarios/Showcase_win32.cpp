#include "Showcase_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>

#include "InternetShowcase_win32.h"
#include "FatDisk_win32.h"
#include "Scenario_win32.h"
#include "SelfExeSheet_win32.h"
#include "SelfExtractorShowcase_win32.h"
#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "settings/Settings.h"
#include "app/VolumeEdit.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "ui/ProgressDlgRes.h"
#include "win32/FilesDlgRes.h"
#include "win32/MainDlgRes.h"
#include "win32/NewImageDlgRes.h"

namespace scenario {
namespace {

constexpr DWORD kPaintMs = 700;          // for the window to be drawn on the X display
constexpr DWORD kCaptureWaitMs = 60000;  // for the script to take the picture

std::string SampleImage(Workspace& workspace) {
  return workspace.MakeImage("Windows 98 启动盘.img", FloppyBytes(1474560, 98), "Windows 98 启动盘 (第二版)");
}

HWND Main(Workspace& workspace, const std::vector<std::wstring>& arguments) {
  return WaitForMainWindow(workspace.Start(arguments).Id());
}

void ThroughFileDialog(const robot::Process& process, const wchar_t* title, const std::string& path) {
  HWND dialog = WaitForCaption(process.Id(), title);
  if (dialog && ChooseInFileDialog(dialog, Utf16(path))) robot::WaitUntilClosed(dialog, kWaitMs);
}

// The settings sheet from the menu, showing the page.
HWND SettingsPage(Workspace& workspace, int page) {
  robot::Process& process = workspace.Start({});
  HWND main = WaitForMainWindow(process.Id());
  if (!main || !robot::ChooseMenuItem(main, kMenuSettings)) return HWND{};
  HWND sheet = WaitForCaption(process.Id(), Utf16(kTextSettingsCaption));
  if (!sheet) return HWND{};
  ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
  // The sheet opens at the screen's corner, under the resting pointer: a tooltip would cover a check box.
  ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  return sheet;
}

// The self-extractor settings sheet from the menu, showing the page, with the Self-Exe flag stored before
// (nullptr: none) so that the page's dependent controls show enabled.
HWND SelfExePage(Workspace& workspace, int page, const wchar_t* flag) {
  DWORD on = 1;
  if (flag) ::RegSetKeyValueW(HKEY_CURRENT_USER, Utf16(kSelfExeKey).c_str(), flag, REG_DWORD, &on, sizeof on);
  robot::Process& process = workspace.Start({});
  HWND main = WaitForMainWindow(process.Id());
  HWND sheet = main ? OpenSelfExeSheet(process, main) : nullptr;
  return sheet && SelectTab(sheet, page) ? sheet : HWND{};
}

// Each stage brings diskelle.exe into one state and returns the window to photograph.
using Stage = std::function<HWND(Workspace&)>;

const std::map<std::string, Stage>& Stages() {
  static const std::map<std::string, Stage> stages = {
      {"main", [](Workspace& w) { return Main(w, {}); }},
      {"main-advanced",
       [](Workspace& w) {
         w.StoreSetting(L"AdvancedMode", 1);
         return Main(w, {});
       }},
      {"main-menu",
       [](Workspace& w) {
         HWND main = Main(w, {});
         // A menu opened before the display has activated the window closes again at the activation.
         if (!main || !WaitUntil([&] { return ::GetForegroundWindow() == main; })) return HWND{};
         ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);  // no tooltip
         ::Sleep(kPaintMs);
         return robot::OpenMenu(main, kMenuAbout.popup) ? main : HWND{};
       }},
      {"main-image", [](Workspace& w) { return Main(w, {Utf16(SampleImage(w))}); }},
      {"main-advanced-image",
       [](Workspace& w) {
         w.StoreSetting(L"AdvancedMode", 1);
         w.StoreSetting(L"Emergency", 1);
         return Main(w, {Utf16(SampleImage(w))});
       }},
      {"main-target",
       [](Workspace& w) {
         robot::Process& process = w.Start({});
         HWND main = WaitForMainWindow(process.Id());
         if (!main || !robot::ClickButton(main, IDC_CHOOSE_TARGET)) return HWND{};
         ThroughFileDialog(process, L"保存映像文件", w.Path("新的映像.imz"));
         WaitUntil([&] { return Visible(main, IDC_TARGET_DESCRIPTION); });
         return main;
       }},
      {"progress",
       [](Workspace& w) {
         Environment slowDrive = {{L"DISKELLE_DRIVE_DELAY_MS", L"150"}};
         robot::Process& process = w.Start({L"/r", L"/o", w.WidePath("读出.imz")}, slowDrive);
         HWND progress =
             WaitForDialog(process.Id(), [](HWND d) { return ::GetDlgItem(d, IDC_PROGRESS_STATUS) != nullptr; });
         WaitUntil([&] { return ::SendDlgItemMessageW(progress, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0) >= 20; });
         return progress;
       }},
      {"report",
       [](Workspace& w) {
         w.StoreSetting(L"Emergency", 1);
         VirtualFloppy floppy = w.InsertFloppy();
         for (int64_t sector : {37, 38, 700, 1441, 2879}) MarkSector(floppy, sector, kSlotUnreadable);
         w.InsertFloppy(floppy);
         robot::Process& process = w.Start({L"/r", L"/o", w.WidePath("紧急.img")});
         if (HWND notice = WaitForMessageBox(process.Id())) w.Answer(notice, IDOK);
         return WaitForCaption(process.Id(), Utf16(kTextReportCaption));
       }},
      {"report-many",
       [](Workspace& w) {
         w.StoreSetting(L"Emergency", 1);
         VirtualFloppy floppy = w.InsertFloppy();
         const FloppyGeometry& geometry = floppy.geometry;
         // A scratch across head 0, a dead track side on head 1, and a few lone sectors.
         for (int track = 20; track <= 52; ++track) {
           for (int sector = 4; sector <= 6; ++sector) {
             MarkSector(floppy, geometry.LinearSector(track, 0, sector), kSlotUnreadable);
           }
         }
         for (int sector = 0; sector < geometry.sectorsPerTrack; ++sector) {
           MarkSector(floppy, geometry.LinearSector(71, 1, sector), kSlotUnreadable);
         }
         for (int64_t sector : {37, 700, 1441, 2000, 2879}) MarkSector(floppy, sector, kSlotUnreadable);
         w.InsertFloppy(floppy);
         robot::Process& process = w.Start({L"/r", L"/o", w.WidePath("紧急.img")});
         if (HWND notice = WaitForMessageBox(process.Id())) w.Answer(notice, IDOK);
         return WaitForCaption(process.Id(), Utf16(kTextReportCaption));
       }},
      {"files",
       [](Workspace& w) {
         std::optional<FatDisk> disk = MakeFatDisk(w);
         if (!disk) return HWND{};
         w.StoreSetting(L"AdvancedMode", 1);
         std::string raw = WithBadSector(WithBadSector(disk->raw, disk->bigFirstSector + 1), 2000);
         robot::Process& process = w.Start({Utf16(w.MakeImage("救出.img", raw, "救出的磁盘"))});
         HWND main = WaitForMainWindow(process.Id());
         if (!main || !robot::ClickButton(main, IDC_SHOW_FILES)) return HWND{};
         HWND files = WaitForCaption(process.Id(), L"文件");
         // The folder with the damaged file; the pointer away, where no tooltip covers the list.
         if (files && FocusControl(files, IDC_FILES_TREE)) PressKey(::GetDlgItem(files, IDC_FILES_TREE), VK_DOWN);
         ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
         return files;
       }},
      {"new-image",
       [](Workspace& w) {
         robot::Process& process = w.Start({});
         HWND main = WaitForMainWindow(process.Id());
         if (!main || !robot::ChooseMenuItem(main, kMenuNewImage)) return HWND{};
         HWND dialog = WaitForCaption(process.Id(), L"新建映像");
         if (dialog) TypeText(dialog, IDC_NEW_IMAGE_LABEL, L"DRIVERS");
         ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
         return dialog;
       }},
      {"files-changed",
       [](Workspace& w) {
         FakeMessageBoxes boxes;
         const std::string image = w.Path("驱动程序盘.img");
         WriteWhole(w.Path("README.TXT"), "Setup: run INSTALL.EXE.\r\n");
         if (MakeBlankImage(image, {80, 18}, "DRIVERS", {}, boxes) != 0) return HWND{};
         w.StoreSetting(L"AdvancedMode", 1);
         robot::Process& process = w.Start({Utf16(image)});
         HWND main = WaitForMainWindow(process.Id());
         if (!main || !robot::ClickButton(main, IDC_SHOW_FILES)) return HWND{};
         HWND files = WaitForCaption(process.Id(), Utf16(kTextFilesCaption));
         // An unsaved change: the title says so and 保存 is there to press.
         if (!files || !DropFiles(files, {w.WidePath("README.TXT")})) return HWND{};
         WaitForCaption(process.Id(), Utf16(kTextFilesCaptionUnsaved));
         ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
         return files;
       }},
      {"report-files",
       [](Workspace& w) {
         std::optional<FatDisk> disk = MakeFatDisk(w);
         if (!disk) return HWND{};
         w.StoreSetting(L"Emergency", 1);
         VirtualFloppy floppy = w.InsertFloppy();
         for (int64_t sector = 0; sector < floppy.SlotCount(); ++sector) {
           std::memcpy(floppy.SlotData(floppy.SlotOfSector(sector)), disk->raw.data() + sector * 512, 512);
         }
         for (int64_t sector : {disk->bigFirstSector + 1, disk->bigFirstSector + 2, int64_t{5}, int64_t{2000}}) {
           MarkSector(floppy, sector, kSlotUnreadable);
         }
         w.InsertFloppy(floppy);
         robot::Process& process = w.Start({L"/r", L"/o", w.WidePath("紧急.img")});
         if (HWND notice = WaitForMessageBox(process.Id())) w.Answer(notice, IDOK);
         return WaitForCaption(process.Id(), Utf16(kTextReportCaption));
       }},
      {"help",
       [](Workspace& w) {
         robot::Process& process = w.Start({});
         HWND main = WaitForMainWindow(process.Id());
         if (!main || !robot::ChooseMenuItem(main, kMenuCommandLineHelp)) return HWND{};
         return WaitForCaption(process.Id(), Utf16(kTextHelpCaption));
       }},
      {"description",
       [](Workspace& w) {
         std::string image = SampleImage(w);
         robot::Process& process = w.Start({});
         HWND main = WaitForMainWindow(process.Id());
         if (!main || !robot::ChooseMenuItem(main, kMenuChangeDescription)) return HWND{};
         ThroughFileDialog(process, L"打开映像文件", image);
         return WaitForCaption(process.Id(), Utf16(kTextDescriptionDlgCaption));
       }},
      {"settings-one", [](Workspace& w) { return SettingsPage(w, 0); }},
      {"settings-two",
       [](Workspace& w) {
         w.StoreSetting(L"FormatDisk", 1);
         return SettingsPage(w, 1);
       }},
      {"self-exe-licence", [](Workspace& w) { return SelfExePage(w, 0, L"LicenseDisplay"); }},
      {"self-exe-create", [](Workspace& w) { return SelfExePage(w, 1, nullptr); }},
      {"self-exe-visual", [](Workspace& w) { return SelfExePage(w, 2, L"CustomPicture"); }},
      {"self-exe-options", [](Workspace& w) { return SelfExePage(w, 3, L"Format"); }},
      {"update", [](Workspace& w) { return ShowInternetDialog(w, "update"); }},
      {"news", [](Workspace& w) { return ShowInternetDialog(w, "news"); }},
      {"feedback", [](Workspace& w) { return ShowInternetDialog(w, "feedback"); }},
      {"about", [](Workspace& w) { return ShowInternetDialog(w, "about"); }},
      {"sfx-licence", [](Workspace& w) { return ShowSelfExtractorPage(w, "sfx-licence"); }},
      {"sfx-licence-plain", [](Workspace& w) { return ShowSelfExtractorPage(w, "sfx-licence-plain"); }},
      {"sfx-create", [](Workspace& w) { return ShowSelfExtractorPage(w, "sfx-create"); }},
      {"sfx-create-builtin", [](Workspace& w) { return ShowSelfExtractorPage(w, "sfx-create-builtin"); }},
      {"sfx-create-plain", [](Workspace& w) { return ShowSelfExtractorPage(w, "sfx-create-plain"); }},
      {"sfx-create-poster", [](Workspace& w) { return ShowSelfExtractorPage(w, "sfx-create-poster"); }},
      {"open",
       [](Workspace& w) {
         SampleImage(w);
         // The open dialog starts in the program's working folder: the workspace.
         ::SetCurrentDirectoryW(w.WidePath("").c_str());
         robot::Process& process = w.Start({});
         HWND main = WaitForMainWindow(process.Id());
         if (!main) return HWND{};
         robot::ClickButton(main, IDC_CHOOSE_SOURCE);
         HWND dialog = WaitForCaption(process.Id(), L"打开映像文件");
         HWND view = dialog ? ::FindWindowExW(::FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr), nullptr,
                                              L"SysListView32", nullptr)
                            : nullptr;
         if (view) {
           ::PostMessageW(view, WM_KEYDOWN, VK_HOME, 1);
           ::PostMessageW(view, WM_KEYDOWN, VK_SPACE, 1);
         }
         return dialog;
       }},
  };
  return stages;
}

}  // namespace

std::vector<std::string> ShowcaseNames() {
  std::vector<std::string> names;
  for (const auto& [name, stage] : Stages()) names.push_back(name);
  return names;
}

int RunShowcase(const std::string& name, const std::string& readyFile) {
  auto stage = Stages().find(name);
  if (stage == Stages().end()) return 2;
  // The pointer rests in a corner: a tooltip would cover what the picture is to show.
  ::SetCursorPos(0, 0);
  Workspace workspace("截图 " + name);
  workspace.InsertFloppy();
  HWND window = stage->second(workspace);
  if (!window) return 1;
  ::Sleep(kPaintMs);
  RECT rect;
  ::GetWindowRect(window, &rect);
  std::wstring ready = Utf16(readyFile);
  std::ofstream(ready.c_str()) << rect.left << ' ' << rect.top << ' ' << rect.right - rect.left << ' '
                               << rect.bottom - rect.top << '\n';
  // The script removes the file once it has the picture.
  WaitUntil([&] { return ::GetFileAttributesW(ready.c_str()) == INVALID_FILE_ATTRIBUTES; }, kCaptureWaitMs);
  EndSelfExtractors();
  return 0;
}

}  // namespace scenario
