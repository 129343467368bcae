#include "support/ZipTool.h"

#include <windows.h>

#include "base/File.h"
#include "base/Wide_win32.h"
#include "support/Robot_win32.h"

// From Wine's own kernel32 export.
std::string UnixPathOf(const std::string& path) {
  using ToUnix = char* (*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return {};
  char* unix = toUnix(Wide(path).c_str());
  if (!unix) return {};
  std::string result = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

bool StartUnixProgram(const std::vector<std::string>& arguments) {
  std::vector<std::wstring> wide{L"/unix"};
  for (const std::string& argument : arguments) wide.push_back(Wide(argument));
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  std::optional<robot::Process> start = robot::Process::Start(std::wstring(system) + L"\\start.exe", wide);
  if (!start) return false;
  std::optional<DWORD> code = start->WaitForExit();
  if (code != 0u) start->Kill();
  return code == 0u;
}

bool RunZipTool(const std::vector<std::string>& options, const std::string& archive,
                const std::vector<std::string>& members) {
  if (FileExists(archive)) return false;
  std::vector<std::string> arguments{"/usr/bin/zip", "-q"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(UnixPathOf(archive));
  for (const std::string& path : members) arguments.push_back(UnixPathOf(path));
  if (!StartUnixProgram(arguments)) return false;
  // Wine cannot wait for a Linux process, and its exit code never arrives. zip writes a temporary file and
  // renames it to the archive once complete: a non-empty archive is its successful end. (It first makes and
  // removes an empty file of the archive's name to see that it may: a loaded machine shows that one too.)
  return robot::WaitUntil([&] { return FileSize(archive).value_or(0) > 0; });
}
