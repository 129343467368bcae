#include "Scenario_win32.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "base/File.h"
#include "base/Utf.h"
#include "filesystem/Fat12.h"
#include "floppy/FloppyFixtures.h"
#include "floppy/virtual/VirtualFloppyFile.h"
#include "image/ImageInfo.h"
#include "settings/Settings.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace scenario {
namespace {

constexpr wchar_t kProductKey[] = L"Software\\Kestrix Software";
constexpr wchar_t kInfoKey[] = L"Software\\Kestrix Software\\Diskelle\\Info";
constexpr int kMainWindowMarkerId = 1111;  // the read group box: only the main window has it

struct Search {
  DWORD processId;
  const std::function<bool(HWND)>* matches;
  std::vector<HWND> found;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && (*search->matches)(window)) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const std::function<bool(HWND)>& matches) {
  Search search{processId, &matches, {}};
  ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool IsDialog(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return kDialogClass == name;
}

}  // namespace

std::wstring DiskelleExecutable() {
  std::wstring path = Utf16(DISKELLE_EXE);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::string Utf8(const std::wstring& text) { return Utf16ToUtf8(std::u16string(text.begin(), text.end())); }

std::wstring Utf16(const std::string& text) {
  std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& matches, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        std::vector<HWND> windows = TopLevelWindows(processId, [&](HWND w) { return IsDialog(w) && matches(w); });
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool IsMainWindow(HWND window) { return ::GetDlgItem(window, kMainWindowMarkerId) != nullptr; }

bool IsMessageBox(HWND window) { return ::GetDlgItem(window, robot::kMessageBoxTextId) != nullptr; }

HWND FindMainWindow(DWORD processId) {
  std::vector<HWND> windows = TopLevelWindows(processId, [](HWND w) { return IsDialog(w) && IsMainWindow(w); });
  return windows.empty() ? nullptr : windows.front();
}

HWND WaitForMainWindow(DWORD processId) {
  return WaitForDialog(processId, [](HWND w) { return IsMainWindow(w) && ::IsWindowVisible(w); });
}

HWND WaitForMessageBox(DWORD processId) {
  return WaitForDialog(processId, [](HWND w) { return IsMessageBox(w) && ::IsWindowVisible(w); });
}

HWND WaitForCaption(DWORD processId, const std::wstring& caption, DWORD timeoutMs) {
  return WaitForDialog(
      processId, [&](HWND w) { return robot::TextOf(w) == caption && ::IsWindowVisible(w); }, timeoutMs);
}

bool MessageBoxHasIcon(HWND box) {
  for (int id : {0x14, 0x440}) {
    HWND icon = ::GetDlgItem(box, id);
    if (icon && ::IsWindowVisible(icon) && ::SendMessageW(icon, STM_GETICON, 0, 0) != 0) return true;
  }
  return false;
}

std::vector<HWND> VisibleWindows(DWORD processId) {
  return TopLevelWindows(processId, [](HWND w) { return ::IsWindowVisible(w) != FALSE; });
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  return robot::WaitUntil(condition, timeoutMs);
}

bool Enabled(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  return control && ::IsWindowEnabled(control);
}

bool Visible(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  return control && ::IsWindowVisible(control);
}

std::wstring Text(HWND dialog, int id) { return robot::ControlText(dialog, id); }

RECT ClientRect(HWND dialog, int id) {
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT ClientArea(HWND window) {
  RECT rect{};
  ::GetClientRect(window, &rect);
  return rect;
}

SIZE WindowSize(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

bool FocusControl(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  if (!control) return false;
  ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus == control;
}

bool PressKey(HWND window, WPARAM key) { return ::PostMessageW(window, WM_KEYDOWN, key, 1) != FALSE; }

bool TypeText(HWND dialog, int id, const std::wstring& text) {
  HWND control = ::GetDlgItem(dialog, id);
  return control && ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != FALSE;
}

bool DropFiles(HWND window, const std::vector<std::wstring>& paths) {
  // The shell drops only on a window that accepts files.
  if ((::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) == 0) return false;
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  names += L'\0';
  std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof header);
  std::memcpy(block.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  UniqueHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId));
  if (!process.Valid()) return false;
  // A fixed block in the other process stands for the drop's memory handle; the program releases it.
  void* remote = ::VirtualAllocEx(process.Get(), nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  SIZE_T written = 0;
  if (!remote || !::WriteProcessMemory(process.Get(), remote, block.data(), block.size(), &written)) return false;
  return ::PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != FALSE;
}

bool ChooseInFileDialog(HWND fileDialog, const std::wstring& path) {
  // The file name field: a combo box (cmb13) on newer systems, an edit (edt1) on older ones and Wine. A dialog
  // is found as soon as it exists: text typed before it has shown would be replaced by its own start.
  HWND field = nullptr;
  if (!WaitUntil([&] {
        field = ::IsWindowVisible(fileDialog) ? ::GetDlgItem(fileDialog, 0x47c) : nullptr;
        if (!field && ::IsWindowVisible(fileDialog)) field = ::GetDlgItem(fileDialog, 0x480);
        return field != nullptr;
      })) {
    ADD_FAILURE() << "the file dialog never showed its name field";
    return false;
  }
  ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return robot::ClickButton(fileDialog, IDOK);
}

Workspace::Workspace(const std::string& name) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"软盘 场景 " + Utf16(name);
  folder_ = Utf8(folder);
  for (const std::string& file : FileNames()) RemoveFile(Path(file));
  ::CreateDirectoryW(folder.c_str(), nullptr);
}

Workspace::~Workspace() {
  EndProcesses();
  if (keepFiles_) return;
  for (const std::string& name : FileNames()) RemoveFile(Path(name));
  ::RemoveDirectoryW(Utf16(folder_).c_str());
}

bool Workspace::EndProcesses(DWORD graceMs) {
  bool ended = true;
  for (robot::Process& process : processes_) {
    if (!process.WaitForExit(graceMs)) {
      ended = false;
      process.Kill();
      process.WaitForExit(kWaitMs);
    }
  }
  return ended;
}

DiskelleScenario::DiskelleScenario()
    : Workspace([] {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string(test->test_suite_name()) + "." + test->name();
      }()) {}

void DiskelleScenario::TearDown() {
  // The main window goes before the process ends (settings are stored, threads joined): its end is waited
  // for, so that only a program left running counts.
  EXPECT_TRUE(EndProcesses(kWaitMs)) << "a diskelle.exe was still running at the end of the scenario";
  if (HasFailure()) KeepFiles();
}

std::vector<std::string> Workspace::FileNames() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((Utf16(folder_) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(Utf8(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void Workspace::StoreSetting(const wchar_t* name, DWORD value) {
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
}

void Workspace::StoreSetting(const wchar_t* name, const std::wstring& value) {
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

std::wstring StoredText(const wchar_t* key, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return L"<none>";
  }
  return value;
}

void RemoveUserAssociations() {
  for (const wchar_t* key : {L"Software\\Classes\\DiskelleFile", L"Software\\Classes\\DiskelleCompressedFile",
                             L"Software\\Classes\\.img", L"Software\\Classes\\.imz"}) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
  }
}

std::optional<DWORD> Workspace::StoredSetting(const wchar_t* key, const wchar_t* name) const {
  DWORD value = 0, size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

VirtualFloppy Workspace::InsertFloppy() {
  FloppyGeometry geometry{80, 18};
  VirtualFloppy floppy = PatternedFloppy(geometry);
  std::vector<uint8_t> volume = BlankFat12Volume(geometry);
  constexpr int kSystemSectors = 33;  // boot sector, two FATs, root directory
  for (int64_t sector = 0; sector < kSystemSectors; ++sector) {
    std::memcpy(floppy.SlotData(floppy.SlotOfSector(sector)), volume.data() + sector * kSectorBytes, kSectorBytes);
  }
  InsertFloppy(floppy);
  return floppy;
}

void Workspace::InsertFloppy(const VirtualFloppy& floppy) {
  ASSERT_TRUE(SaveVirtualFloppy(Path("a.vfd"), floppy));
}

VirtualFloppy Workspace::FloppyInDrive() const {
  VirtualFloppyLoad load = LoadVirtualFloppy(Path("a.vfd"));
  EXPECT_TRUE(load.floppy) << load.problem;
  return load.floppy.value_or(VirtualFloppy{});
}

std::string Workspace::FloppyFileBytes() const { return ReadWhole(Path("a.vfd")); }

std::string Workspace::MakeImage(const std::string& name, const std::string& raw,
                                        const std::string& description) {
  std::string path = Path(name);
  WriteWhole(path, raw);
  CImageInfo image;
  image.m_path = path;
  image.m_description = description;
  image.m_sectorsPerTrack = 18;
  image.m_tracks = 80;
  image.m_totalBytes = 1457664;
  image.m_freeBytes = 1000000;
  FakeMessageBoxes boxes;
  EXPECT_EQ(image.WriteTrailer(boxes), 0);
  return path;
}

robot::Process& Workspace::Start(const std::vector<std::wstring>& arguments, const Environment& environment) {
  Environment all = {{L"DISKELLE_DRIVE_A", WidePath("a.vfd")}, {L"DISKELLE_DRIVE_B", L""},
                     {L"DISKELLE_DRIVE_DELAY_MS", L""}};
  for (const auto& entry : environment) all.push_back(entry);
  if (storeVersionMarker_) {
    std::wstring version = Utf16(kProgramVersion);
    EXPECT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kInfoKey, L"Version", REG_SZ, version.c_str(),
                                static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  // The weekly update check ran a moment ago: it neither asks a server nor shows its window.
  if (weeklyCheckDone_ && !StoredSetting(kSettingsKey, L"LastUpdate")) {
    StoreSetting(L"LastUpdate", static_cast<DWORD>(std::time(nullptr)));
  }
  std::optional<robot::Process> process = robot::Process::Start(DiskelleExecutable(), arguments, all);
  if (!process) ADD_FAILURE() << "diskelle.exe did not start: " << Utf8(DiskelleExecutable());
  processes_.push_back(process ? std::move(*process) : robot::Process());
  return processes_.back();
}

void Workspace::Answer(HWND box, int button) {
  ASSERT_TRUE(robot::PostCommand(box, button));
  ASSERT_TRUE(robot::WaitUntilClosed(box, kWaitMs));
}

}  // namespace scenario
