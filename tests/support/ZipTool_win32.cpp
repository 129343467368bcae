#include "support/ZipTool.h"

#include <windows.h>

#include "base/File.h"
#include "base/Wide_win32.h"

namespace {

// Wine's own exports: kernel32 names a file by its Linux path; ntdll runs a Linux program, and with wait
// set waits for it and returns its exit status (negative when it could not start).
template <typename Function>
Function WineExport(const wchar_t* module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(module), name)));
}

}  // namespace

std::string UnixPathOf(const std::string& path) {
  auto toUnix = WineExport<char* (*)(const wchar_t*)>(L"kernel32.dll", "wine_get_unix_file_name");
  if (!toUnix) return {};
  char* unix = toUnix(Wide(path).c_str());
  if (!unix) return {};
  std::string result = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

bool RunUnixProgram(const std::vector<std::string>& arguments) {
  auto spawn = WineExport<LONG(WINAPI*)(char* const*, int)>(L"ntdll.dll", "__wine_unix_spawnvp");
  if (!spawn || arguments.empty()) return false;
  for (const std::string& argument : arguments) {
    if (argument.empty()) return false;  // a path Wine could not name
  }
  std::vector<std::string> owned = arguments;
  std::vector<char*> argv;
  for (std::string& argument : owned) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return spawn(argv.data(), TRUE) == 0;
}

bool RunZipTool(const std::vector<std::string>& options, const std::string& archive,
                const std::vector<std::string>& members) {
  if (FileExists(archive)) return false;
  std::vector<std::string> arguments{"/usr/bin/zip", "-q"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(UnixPathOf(archive));
  for (const std::string& path : members) arguments.push_back(UnixPathOf(path));
  return RunUnixProgram(arguments) && FileExists(archive);
}
