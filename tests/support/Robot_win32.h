#pragma once
// Drives a Windows program from outside, as a user would: starts it, finds its windows, reads what they
// show (including the rows of a list view in the other process), presses buttons and waits for windows and
// the process to end. Clicks are posted, never sent, so that a click that opens a modal window cannot block
// the robot.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Handle_win32.h"
#include "support/Waiting.h"

namespace robot {

// The robot's ceiling for a window, a text or a process's end, and its watch for what must not come
// (support/Waiting.h).
inline constexpr DWORD kWaitMs = static_cast<DWORD>(kWaitCeiling.count());
inline constexpr DWORD kQuietMs = static_cast<DWORD>(kQuietWatch.count());

class Process {
 public:
  // Starts program with arguments (quoted as needed) and the robot's environment plus overrides (name,
  // value). nullopt when CreateProcessW fails.
  static std::optional<Process> Start(const std::wstring& program, const std::vector<std::wstring>& arguments,
                                      const std::vector<std::pair<std::wstring, std::wstring>>& environment = {});

  DWORD Id() const { return id_; }
  // The exit code once the process has ended within timeoutMs; nullopt while it runs.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = kWaitMs) const;
  // Ends a process that a failed test leaves behind.
  void Kill() const;

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

// A visible or hidden top-level window of the process (0: any process) with that class (empty: any) and
// caption; nullptr when there is none.
HWND FindTopLevel(DWORD processId, const std::wstring& className, const std::wstring& caption);
// Polls FindTopLevel until the window appears or timeoutMs have passed.
HWND WaitForTopLevel(DWORD processId, const std::wstring& className, const std::wstring& caption,
                     DWORD timeoutMs = kWaitMs);
// Waits until condition holds; false after timeoutMs.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);
// True when window is gone within timeoutMs.
bool WaitUntilClosed(HWND window, DWORD timeoutMs = kWaitMs);

std::wstring TextOf(HWND window);
// The text of a dialog's control; a message box's text is control 0xFFFF.
std::wstring ControlText(HWND dialog, int controlId);
inline constexpr int kMessageBoxTextId = 0xFFFF;

// The items of a dialog's combo box, in order (the system copies them across processes).
std::vector<std::wstring> ComboItems(HWND dialog, int controlId);

// The cells of every row of a report list view of any process, row by row.
std::vector<std::vector<std::wstring>> ListViewRows(HWND list);

// The texts of every tool of the tooltip controls that owner's process made for owner.
std::vector<std::wstring> ToolTipTexts(HWND owner);

// Posts a click to the button (BM_CLICK); false when the dialog has no such control or it is disabled (a
// person cannot press it, while BM_CLICK would press it all the same).
bool ClickButton(HWND dialog, int controlId);
// Posts WM_COMMAND with the id, as a button or accelerator sends it. Menu commands go through ChooseMenuItem,
// which a greyed item stops as it stops a person.
bool PostCommand(HWND dialog, int commandId);

// A menu command as a person types it: Alt with the popup's mnemonic, then the item's mnemonic.
struct MenuItem {
  wchar_t popup;
  wchar_t item;
};
// Opens the popup of window's menu as Alt with its mnemonic does (' ': the system menu); true once it shows.
bool OpenMenu(HWND window, wchar_t popup, DWORD timeoutMs = kWaitMs);
// Chooses item from window's menu through the program's own menu loop (so a greyed item does nothing): opens
// the popup, waits until it shows, types the item's letter and waits until the menu has closed. False when the
// popup did not open or the menu did not close within timeoutMs.
bool ChooseMenuItem(HWND window, MenuItem item, DWORD timeoutMs = kWaitMs);

}  // namespace robot
