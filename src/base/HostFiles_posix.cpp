#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>

#include "base/HostFiles.h"

namespace {

LocalTime LocalTimeOf(std::time_t seconds) {
  std::tm calendar{};
  if (!::localtime_r(&seconds, &calendar)) return {};
  return {calendar.tm_year + 1900, calendar.tm_mon + 1, calendar.tm_mday, calendar.tm_hour, calendar.tm_min,
          std::min(calendar.tm_sec, 59)};
}

}  // namespace

HostItem InfoOfHostPath(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  HostItem item;
  struct stat own {};
  item.link = ::lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
  item.kind = S_ISREG(info.st_mode) ? HostKind::File : S_ISDIR(info.st_mode) ? HostKind::Directory : HostKind::Other;
  item.size = static_cast<uint64_t>(info.st_size);
  item.modified = LocalTimeOf(info.st_mtime);
  return item;
}

std::string LastPathStep(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  return trimmed.substr(trimmed.find_last_of('/') + 1);
}

std::optional<std::vector<std::string>> NamesInFolder(const std::string& folder) {
  DIR* opened = ::opendir(folder.c_str());
  if (!opened) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(opened)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(opened);
  std::sort(names.begin(), names.end());
  return names;
}

LocalTime LocalTimeNow() { return LocalTimeOf(std::time(nullptr)); }
