#include "filesystem/FatFromFolder.h"

#include <algorithm>

namespace {

// Reads exactly the bytes the file had when the tree was gathered: a file that changed since is unreadable.
bool ReadWhole(const std::string& path, std::span<uint8_t> into) {
  File file = File::Open(path, FileMode::Read);
  if (!file || file.Read(into.data(), into.size()) != into.size()) return false;
  uint8_t more = 0;
  return file.Read(&more, 1) == 0;
}

}  // namespace

HostTree GatherHostTree(const std::vector<std::string>& paths) {
  HostTree tree;
  struct Pending {
    std::string source;
    std::string name;
    int parent;
    bool given;
  };
  std::vector<Pending> pending;
  for (auto path = paths.rbegin(); path != paths.rend(); ++path) pending.push_back({*path, LastPathStep(*path), -1, true});
  // Depth first without recursion, a folder's contents right after it.
  while (!pending.empty()) {
    Pending next = std::move(pending.back());
    pending.pop_back();
    const HostItem item = InfoOfHostPath(next.source);
    const bool usable = item.kind == HostKind::File || (item.kind == HostKind::Directory && (next.given || !item.link));
    if (!usable) {
      tree.problems.push_back({next.source, HostProblem::NotFileOrFolder});
      continue;
    }
    if (const NameFault fault = CheckLongName(next.name); fault != NameFault::None) {
      tree.problems.push_back({next.source, HostProblem::BadName, fault});
      continue;
    }
    tree.items.push_back({next.source, next.name, next.parent, item.kind == HostKind::Directory, item.size, item.modified});
    if (item.kind != HostKind::Directory) continue;
    const std::optional<std::vector<std::string>> names = NamesInFolder(next.source);
    if (!names) {
      tree.problems.push_back({next.source, HostProblem::FolderUnreadable});
      continue;
    }
    const int folder = static_cast<int>(tree.items.size()) - 1;
    const std::string prefix = next.source.ends_with('/') ? next.source : next.source + "/";
    for (auto name = names->rbegin(); name != names->rend(); ++name) pending.push_back({prefix + *name, *name, folder, false});
  }
  return tree;
}

std::vector<TreeItemRefused> AddHostTree(FatWriter& writer, FatWriter::Folder folder, const HostTree& tree,
                                         bool replace) {
  std::vector<TreeItemRefused> refused;
  // The writer's folder of each item that is a folder on the disk now; -1 for one refused.
  std::vector<FatWriter::Folder> made(tree.items.size(), -1);
  for (std::size_t i = 0; i < tree.items.size(); ++i) {
    const HostTreeItem& item = tree.items[i];
    const FatWriter::Folder into = item.parent < 0 ? folder : made[static_cast<std::size_t>(item.parent)];
    if (into < 0) continue;
    FatChange change = FatChange::Done;
    if (item.folder) {
      change = writer.MakeFolder(into, item.name, item.modified, &made[i]);
      if (change == FatChange::Exists) change = FatChange::Done;
    } else {
      const FileSource source{item.size, [&item](std::span<uint8_t> bytes) { return ReadWhole(item.source, bytes); }};
      change = writer.AddFile(into, item.name, source, item.modified, replace);
    }
    if (change == FatChange::Done) continue;
    if (item.folder) made[i] = -1;
    refused.push_back({static_cast<int>(i), change});
    if (change == FatChange::RootFull) break;
  }
  return refused;
}
