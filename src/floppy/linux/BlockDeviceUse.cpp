#include "floppy/linux/BlockDeviceUse.h"

#include <vector>

namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

template <typename Each>
void ForEachLine(std::string_view text, Each each) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    each(Words(text.substr(at, end - at)));
    at = end + 1;
  }
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The kernel names partitions sdb1 after sdb, loop0p1 after loop0 (a name that ends in a digit).
bool IsPartitionOf(std::string_view name, std::string_view disk) {
  if (disk.empty() || name.size() <= disk.size() || name.substr(0, disk.size()) != disk) return false;
  std::string_view rest = name.substr(disk.size());
  bool digitEnds = disk.back() >= '0' && disk.back() <= '9';
  if (digitEnds) return rest.size() > 1 && rest[0] == 'p' && AllDigits(rest.substr(1));
  return AllDigits(rest);
}

}  // namespace

bool BlockDeviceInUse(std::string_view partitions, std::string_view mountinfo, unsigned major, unsigned minor) {
  std::string own = std::to_string(major) + ":" + std::to_string(minor);
  std::string name;
  ForEachLine(partitions, [&](const std::vector<std::string_view>& words) {
    if (words.size() == 4 && std::string(words[0]) + ":" + std::string(words[1]) == own) name = words[3];
  });
  bool used = false;
  ForEachLine(partitions, [&](const std::vector<std::string_view>& words) {
    if (words.size() == 4 && IsPartitionOf(words[3], name)) used = true;
  });
  // Each mount's third field is the major:minor of what it was mounted from.
  ForEachLine(mountinfo, [&](const std::vector<std::string_view>& words) {
    if (words.size() > 2 && words[2] == own) used = true;
  });
  return used;
}
