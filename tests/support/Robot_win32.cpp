#include "support/Robot_win32.h"

#include <commctrl.h>

#include <cwchar>
#include <functional>

namespace robot {
namespace {

std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The robot's environment with the overrides replacing or adding variables, as a block for CreateProcessW.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::wstring, std::wstring>>& overrides) {
  std::vector<std::wstring> entries;
  if (wchar_t* strings = ::GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1) entries.emplace_back(entry);
    ::FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : overrides) {
    std::erase_if(entries, [&name](const std::wstring& entry) {
      std::size_t equals = entry.find(L'=', 1);
      return equals != std::wstring::npos && SameName(entry.substr(0, equals), name);
    });
    entries.push_back(name + L"=" + value);
  }
  std::wstring block;
  for (const std::wstring& entry : entries) block += entry + L'\0';
  return block + L'\0';
}

struct Search {
  DWORD processId;
  const std::wstring* className;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (search->processId && owner != search->processId) return TRUE;
  if (!search->className->empty()) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    if (*search->className != name) return TRUE;
  }
  if (TextOf(window) != *search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

// Memory in another process, freed with the object.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, SIZE_T size)
      : process_(process),
        address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  ~RemoteMemory() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  char* Address() const { return static_cast<char*>(address_); }

 private:
  HANDLE process_;
  void* address_;
};

// Whether the thread shows a popup menu (the system's menu window class).
bool ShowsPopupMenu(DWORD threadId) {
  struct Query {
    DWORD threadId;
    bool shown;
  } query{threadId, false};
  ::EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* search = reinterpret_cast<Query*>(parameter);
        wchar_t name[16] = {};
        if (::GetWindowThreadProcessId(window, nullptr) != search->threadId || !::IsWindowVisible(window) ||
            !::GetClassNameW(window, name, 16) || std::wcscmp(name, L"#32768") != 0) {
          return TRUE;
        }
        search->shown = true;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.shown;
}

}  // namespace

std::optional<Process> Process::Start(const std::wstring& program, const std::vector<std::wstring>& arguments,
                                      const std::vector<std::pair<std::wstring, std::wstring>>& environment) {
  std::wstring commandLine = Quoted(program);
  for (const std::wstring& argument : arguments) commandLine += L" " + Quoted(argument);
  std::wstring block = EnvironmentBlock(environment);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        block.data(), nullptr, &startup, &info)) {
    return std::nullopt;
  }
  ::CloseHandle(info.hThread);
  Process process;
  process.process_.Reset(info.hProcess);
  process.id_ = info.dwProcessId;
  return process;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
  if (::WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!::GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
  return code;
}

void Process::Kill() const {
  if (process_.Valid()) ::TerminateProcess(process_.Get(), 0xDEAD);
}

HWND FindTopLevel(DWORD processId, const std::wstring& className, const std::wstring& caption) {
  Search search{processId, &className, &caption, nullptr};
  ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTopLevel(DWORD processId, const std::wstring& className, const std::wstring& caption, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindTopLevel(processId, className, caption)) != nullptr; }, timeoutMs);
  return window;
}

bool WaitUntilClosed(HWND window, DWORD timeoutMs) {
  return WaitUntil([window] { return !::IsWindow(window); }, timeoutMs);
}

std::wstring TextOf(HWND window) {
  // WM_GETTEXT, unlike GetWindowTextW, also reads controls of other processes.
  auto length = static_cast<int>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  auto copied = static_cast<int>(::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

std::wstring ControlText(HWND dialog, int controlId) {
  HWND control = ::GetDlgItem(dialog, controlId);
  return control ? TextOf(control) : std::wstring();
}

std::vector<std::wstring> ComboItems(HWND dialog, int controlId) {
  std::vector<std::wstring> items;
  HWND combo = ::GetDlgItem(dialog, controlId);
  const LRESULT count = combo ? ::SendMessageW(combo, CB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) break;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    items.push_back(text);
  }
  return items;
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND list) {
  std::vector<std::vector<std::wstring>> rows;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(list, &processId);
  UniqueHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (!process.Valid()) return rows;
  constexpr int kTextCapacity = 512;
  RemoteMemory memory(process.Get(), sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t));
  if (!memory.Address()) return rows;
  char* remoteText = memory.Address() + sizeof(LVITEMW);
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  auto count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    std::vector<std::wstring> cells;
    for (int column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = reinterpret_cast<LPWSTR>(remoteText);
      item.cchTextMax = kTextCapacity;
      wchar_t text[kTextCapacity] = {};
      SIZE_T moved = 0;
      if (!::WriteProcessMemory(process.Get(), memory.Address(), &item, sizeof item, &moved)) return {};
      ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(memory.Address()));
      if (!::ReadProcessMemory(process.Get(), remoteText, text, sizeof text, &moved)) return {};
      text[kTextCapacity - 1] = L'\0';
      cells.emplace_back(text);
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

std::vector<std::wstring> ToolTipTexts(HWND owner) {
  std::vector<std::wstring> texts;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(owner, &processId);
  UniqueHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (!process.Valid()) return texts;
  constexpr int kTextCapacity = 1024;
  RemoteMemory memory(process.Get(), sizeof(TOOLINFOW) + kTextCapacity * sizeof(wchar_t));
  if (!memory.Address()) return texts;
  char* remoteText = memory.Address() + sizeof(TOOLINFOW);
  HWND tip = nullptr;
  while ((tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
    if (::GetWindow(tip, GW_OWNER) != owner) continue;
    auto count = static_cast<int>(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
      TOOLINFOW info{};
      info.cbSize = TTTOOLINFOW_V2_SIZE;
      info.lpszText = reinterpret_cast<LPWSTR>(remoteText);
      wchar_t text[kTextCapacity] = {};
      SIZE_T moved = 0;
      if (!::WriteProcessMemory(process.Get(), memory.Address(), &info, sizeof info, &moved) ||
          !::WriteProcessMemory(process.Get(), remoteText, text, sizeof text, &moved)) {
        return texts;
      }
      if (!::SendMessageW(tip, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(memory.Address()))) continue;
      if (!::ReadProcessMemory(process.Get(), remoteText, text, sizeof text, &moved)) return texts;
      text[kTextCapacity - 1] = L'\0';
      texts.emplace_back(text);
    }
  }
  return texts;
}

bool ClickButton(HWND dialog, int controlId) {
  HWND button = ::GetDlgItem(dialog, controlId);
  return button && ::IsWindowEnabled(button) && ::PostMessageW(button, BM_CLICK, 0, 0);
}

bool PostCommand(HWND dialog, int commandId) {
  HWND control = ::GetDlgItem(dialog, commandId);
  return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED), reinterpret_cast<LPARAM>(control)) != 0;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  return ::WaitUntil(condition, std::chrono::milliseconds(timeoutMs));
}

bool OpenMenu(HWND window, wchar_t popup, DWORD timeoutMs) {
  DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  // A window that a modal one has disabled takes no keys.
  return thread && WaitUntil([&] { return ::IsWindowEnabled(window) != FALSE; }, timeoutMs) &&
         ::PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, popup) &&
         WaitUntil([&] { return ShowsPopupMenu(thread); }, timeoutMs);
}

bool ChooseMenuItem(HWND window, MenuItem item, DWORD timeoutMs) {
  // The menu loop opens the popup only after its own first message: the item's letter waits for the popup.
  DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  return OpenMenu(window, item.popup, timeoutMs) && ::PostMessageW(window, WM_CHAR, item.item, 0) &&
         WaitUntil([&] { return !ShowsPopupMenu(thread); }, timeoutMs);
}

}  // namespace robot
