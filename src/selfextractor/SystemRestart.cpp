#include "selfextractor/SystemRestart.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>

#include "base/Environment.h"
#include "base/File.h"
#include "base/Handle_win32.h"

namespace {

class RecordedRestart : public ISystemRestart {
 public:
  explicit RecordedRestart(std::string log) : log_(std::move(log)) {}
  void Restart() override {
    File file = File::Open(log_, FileMode::Append);
    if (file) {
      file.Write("restart\n", 8);
      file.Close();
    }
  }

 private:
  std::string log_;
};

void EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  UniqueHandle owned(token);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  }
}

// Windows 9x reboots only once the shell is gone. Its kernel has only the ANSI process walk (and no wide
// GetModuleHandle), so the ANSI names and record are used.
void EndExplorer() {
  HMODULE kernel = ::GetModuleHandleA("Kernel32.DLL");
  if (!kernel) return;
  using Snapshot = HANDLE(WINAPI*)(DWORD, DWORD);
  using Walk = BOOL(WINAPI*)(HANDLE, tagPROCESSENTRY32*);
  auto snapshot = reinterpret_cast<Snapshot>(reinterpret_cast<void*>(::GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
  auto first = reinterpret_cast<Walk>(reinterpret_cast<void*>(::GetProcAddress(kernel, "Process32First")));
  auto next = reinterpret_cast<Walk>(reinterpret_cast<void*>(::GetProcAddress(kernel, "Process32Next")));
  if (!snapshot || !first || !next) return;
  UniqueHandle processes(snapshot(TH32CS_SNAPPROCESS, 0));
  if (!processes.Valid()) return;
  tagPROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = first(processes.Get(), &entry); more; more = next(processes.Get(), &entry)) {
    std::string name(entry.szExeFile, ::strnlen(entry.szExeFile, sizeof entry.szExeFile));
    std::size_t slash = name.find_last_of('\\');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    if (::lstrcmpiA(name.c_str(), "explorer.exe") != 0) continue;
    UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
    if (process.Valid()) ::TerminateProcess(process.Get(), 1);
  }
}

class SystemRestart : public ISystemRestart {
 public:
  explicit SystemRestart(bool ntFamily) : ntFamily_(ntFamily) {}
  void Restart() override {
    if (ntFamily_) {
      EnableShutdownPrivilege();
    } else {
      EndExplorer();
    }
    ::ExitWindowsEx(EWX_REBOOT, 0);
  }

 private:
  bool ntFamily_;
};

}  // namespace

std::unique_ptr<ISystemRestart> MakeSystemRestart(bool ntFamily) {
  if (std::optional<std::string> log = ProcessEnvironment("DISKELLE_RESTART_LOG")) {
    return std::make_unique<RecordedRestart>(*log);
  }
  return std::make_unique<SystemRestart>(ntFamily);
}
