#include <windows.h>

#include <algorithm>

#include "base/HostFiles.h"
#include "base/Wide_win32.h"

namespace {

LocalTime LocalTimeOf(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME calendar;
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &calendar)) return {};
  return {calendar.wYear, calendar.wMonth, calendar.wDay, calendar.wHour, calendar.wMinute, calendar.wSecond};
}

}  // namespace

HostItem InfoOfHostPath(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return {};
  HostItem item;
  item.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? HostKind::Directory
              : (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) ? HostKind::Other
                                                                 : HostKind::File;
  item.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  item.size = uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
  item.modified = LocalTimeOf(data.ftLastWriteTime);
  return item;
}

std::string LastPathStep(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) trimmed.pop_back();
  return trimmed.substr(trimmed.find_last_of("/\\") + 1);
}

std::optional<std::vector<std::string>> NamesInFolder(const std::string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<std::string> names;
  do {
    const std::string name = Narrow(found.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

LocalTime LocalTimeNow() {
  SYSTEMTIME calendar;
  ::GetLocalTime(&calendar);
  return {calendar.wYear, calendar.wMonth, calendar.wDay, calendar.wHour, calendar.wMinute, calendar.wSecond};
}
