#pragma once
// Files and folders of this system put on a disk's volume. The whole tree is looked at first, so that a name
// FAT cannot hold, or something that is neither a file nor a folder, stops the change before anything is
// added; the files' bytes are read only as they go onto the disk.

#include <string>
#include <vector>

#include "base/HostFiles.h"
#include "filesystem/FatNamesOut.h"
#include "filesystem/FatWriter.h"

struct HostTreeItem {
  std::string source;  // the path here
  std::string name;    // its name on the disk
  int parent = -1;     // its folder among the items; -1: the folder the tree goes into
  bool folder = false;
  uint64_t size = 0;
  LocalTime modified;
};

enum class HostProblem {
  BadName,           // fault says why FAT cannot hold it
  NotFileOrFolder,   // a device, a FIFO, a link that leads nowhere, or a link to a folder inside a folder
  FolderUnreadable,
};
struct HostTreeProblem {
  std::string source;
  HostProblem problem;
  NameFault fault = NameFault::None;
};

struct HostTree {
  std::vector<HostTreeItem> items;  // each folder before its contents
  std::vector<HostTreeProblem> problems;
};

// The files and folders at paths, each under its last name, folders with everything in them. A link that is
// given is followed; one inside a folder only when it leads to a file, as a folder could lead back up.
HostTree GatherHostTree(const std::vector<std::string>& paths);

struct TreeItemRefused {
  int item;  // index in the tree's items
  FatChange change;
};
// Puts the tree's items into folder of the writer: folders made, or joined with a folder of the name; files
// added, replacing files of their names when replace is set. The items refused, and why (the contents of a
// folder refused are left out); the root folder's filling up ends the run.
std::vector<TreeItemRefused> AddHostTree(FatWriter& writer, FatWriter::Folder folder, const HostTree& tree,
                                         bool replace);
