#pragma once
// What every scenario needs: diskelle.exe started as a user starts it (arguments, a virtual floppy in
// drive A:, settings stored beforehand), its windows found and read as a user sees them, files made and
// checked in a folder of the scenario's own. Each scenario begins with no stored settings.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "floppy/virtual/VirtualFloppy.h"
#include "support/Robot_win32.h"

namespace scenario {

using robot::kWaitMs;
inline const std::wstring kDialogClass = L"#32770";
// A 1.44 MB disk, and the key under which the program keeps its settings.
inline constexpr std::size_t kDiskBytes = 1474560;
inline constexpr wchar_t kSettingsKey[] = L"Software\\Kestrix Software\\Diskelle\\Settings";

using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

// The diskelle.exe of this build (its path comes from the build as DISKELLE_EXE).
std::wstring DiskelleExecutable();

// A top-level dialog of the process that satisfies the predicate, waited for; nullptr after timeoutMs.
HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& matches, DWORD timeoutMs = kWaitMs);
// Its main window (visible or not), its message box, a dialog by caption.
bool IsMainWindow(HWND window);
bool IsMessageBox(HWND window);
HWND FindMainWindow(DWORD processId);
HWND WaitForMainWindow(DWORD processId);
HWND WaitForMessageBox(DWORD processId);
HWND WaitForCaption(DWORD processId, const std::wstring& caption, DWORD timeoutMs = kWaitMs);
// Whether a message box shows an icon (the system's icon control: 0x14 on Windows, 0x440 on Wine).
bool MessageBoxHasIcon(HWND box);
// Every top-level window of the process that is visible.
std::vector<HWND> VisibleWindows(DWORD processId);

// A string value below HKEY_CURRENT_USER (name nullptr: the key's default value); "<none>" when missing.
std::wstring StoredText(const wchar_t* key, const wchar_t* name);
// Removes the user's .img and .imz classes (a scenario about associations starts and ends without them).
void RemoveUserAssociations();

// Waits until condition holds (checked every 20 ms); false after timeoutMs.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// What a user sees of a control.
bool Enabled(HWND dialog, int id);
bool Visible(HWND dialog, int id);
std::wstring Text(HWND dialog, int id);
// The control's rectangle in the client coordinates of dialog.
RECT ClientRect(HWND dialog, int id);
RECT ClientArea(HWND window);
SIZE WindowSize(HWND window);

// The main window's menu commands, by the mnemonics a person types (robot::ChooseMenuItem).
inline constexpr robot::MenuItem kMenuNewImage{L'F', L'N'};
inline constexpr robot::MenuItem kMenuChangeDescription{L'F', L'D'};
inline constexpr robot::MenuItem kMenuConvertImage{L'F', L'C'};
inline constexpr robot::MenuItem kMenuCheckIntegrity{L'F', L'I'};
inline constexpr robot::MenuItem kMenuExit{L'F', L'X'};
inline constexpr robot::MenuItem kMenuSelfExeSettings{L'E', L'E'};
inline constexpr robot::MenuItem kMenuSettings{L'E', L'S'};
inline constexpr robot::MenuItem kMenuCommandLineHelp{L'H', L'H'};
inline constexpr robot::MenuItem kMenuFeedback{L'H', L'F'};
inline constexpr robot::MenuItem kMenuNews{L'H', L'C'};
inline constexpr robot::MenuItem kMenuCheckUpdates{L'H', L'U'};
inline constexpr robot::MenuItem kMenuAbout{L'H', L'A'};

// Gives the control the keyboard focus, as a click or Tab would (the dialog moves it itself).
bool FocusControl(HWND dialog, int id);
// Posts a key press (key down) to the window, as the keyboard delivers it to the focused control.
bool PressKey(HWND window, WPARAM key);
// Types text into a control (WM_SETTEXT), as a user replaces its contents.
bool TypeText(HWND dialog, int id, const std::wstring& text);
// Drops files on the window as the shell does (WM_DROPFILES with the list in the window's process); false
// when the window does not accept dropped files.
bool DropFiles(HWND window, const std::vector<std::wstring>& paths);
// Chooses path in an open or save dialog of the system and confirms it, once the dialog shows its name field.
bool ChooseInFileDialog(HWND fileDialog, const std::wstring& path);

std::string Utf8(const std::wstring& text);
std::wstring Utf16(const std::string& text);

// A folder of its own with a virtual floppy for drive A:, images, stored settings, and the diskelle.exe
// processes started from it. Settings are cleared when it is made; processes still running when it goes
// are ended.
class Workspace {
 public:
  explicit Workspace(const std::string& name);
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // A path (UTF-8) in the folder, whose name has Chinese characters and a blank.
  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  std::wstring WidePath(const std::string& name) const { return Utf16(Path(name)); }
  std::vector<std::string> FileNames() const;
  // Leaves the files in place when the folder goes (for a look after a failure).
  void KeepFiles() { keepFiles_ = true; }

  // Settings (Software\Kestrix Software\Diskelle\Settings) as the user left them in an earlier session.
  void StoreSetting(const wchar_t* name, DWORD value);
  void StoreSetting(const wchar_t* name, const std::wstring& value);
  std::optional<DWORD> StoredSetting(const wchar_t* key, const wchar_t* name) const;

  // A 1.44 MB disk with a FAT12 volume and sector-numbered data in its free area, as drive A:.
  VirtualFloppy InsertFloppy();
  void InsertFloppy(const VirtualFloppy& floppy);
  VirtualFloppy FloppyInDrive() const;
  std::string FloppyFileBytes() const;

  // An image file (with trailer) of raw, described; returns its path.
  std::string MakeImage(const std::string& name, const std::string& raw, const std::string& description);

  // Starts diskelle.exe with the floppy in drive A: and the extra environment. Unless the scenario is about
  // the first start of this version, the version was started before and the association question stays away.
  robot::Process& Start(const std::vector<std::wstring>& arguments, const Environment& environment = {});
  // Answers a message box with the button and waits for it to close.
  void Answer(HWND box, int button);
  std::optional<DWORD> WaitForExit(const robot::Process& process) const { return process.WaitForExit(kWaitMs); }
  // Whether every process started has ended, waiting graceMs for each (those still running are ended).
  bool EndProcesses(DWORD graceMs = 0);
  // From now on Start leaves Info\Version as the program stored it.
  void LeaveVersionMarkerToProgram() { storeVersionMarker_ = false; }
  // From now on Start leaves LastUpdate as the program stored it (the weekly update check may run).
  void LeaveWeeklyCheckToProgram() { weeklyCheckDone_ = false; }

 private:
  std::string folder_;
  bool keepFiles_ = false;
  bool storeVersionMarker_ = true;
  bool weeklyCheckDone_ = true;
  std::deque<robot::Process> processes_;  // references to them stay valid
};

// Each scenario in a workspace named after it; a scenario that leaves diskelle.exe running fails.
class DiskelleScenario : public ::testing::Test, public Workspace {
 protected:
  DiskelleScenario();
  void TearDown() override;
};

}  // namespace scenario
