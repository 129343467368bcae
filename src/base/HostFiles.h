#pragma once
// This system's files as a source of files to put on a disk: what a path holds (links followed), the names
// in a folder, and the local time now, as FAT volumes store times.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/File.h"

// (Not "Folder": Windows' shell headers declare a type of that name.)
enum class HostKind { Missing, File, Directory, Other };
struct HostItem {
  HostKind kind = HostKind::Missing;  // what the path leads to, links followed
  bool link = false;                  // the path itself is a symbolic link (or another reparse point)
  uint64_t size = 0;
  LocalTime modified;
};
HostItem InfoOfHostPath(const std::string& path);

// The last name of a path, separators at its end left out.
std::string LastPathStep(const std::string& path);

// The names in folder, sorted, without "." and ".."; nullopt when it cannot be read.
std::optional<std::vector<std::string>> NamesInFolder(const std::string& folder);

LocalTime LocalTimeNow();
