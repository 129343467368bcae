#include "filesystem/Extraction.h"

#include <algorithm>

namespace {

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string WithoutFolderSlash(const std::string& path) {
  return !path.empty() && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

bool Within(const std::vector<FatEntry>& entries, int entry, int folder) {
  for (int at = entry; at >= 0; at = entries[at].parent) {
    if (at == folder) return true;
  }
  return false;
}

}  // namespace

std::optional<std::vector<int>> SelectEntries(const FatVolume& volume, const std::vector<std::string>& paths,
                                              std::string* missing) {
  const std::vector<FatEntry>& entries = volume.Entries();
  std::vector<bool> chosen(entries.size(), paths.empty());
  for (const std::string& path : paths) {
    const std::string wanted = WithoutFolderSlash(path);
    int found = -1;
    for (std::size_t i = 0; i < entries.size() && found < 0; ++i) {
      if (WithoutFolderSlash(entries[i].path) == wanted) found = static_cast<int>(i);
    }
    for (std::size_t i = 0; i < entries.size() && found < 0; ++i) {
      if (Lowered(WithoutFolderSlash(entries[i].path)) == Lowered(wanted)) found = static_cast<int>(i);
    }
    if (found < 0) {
      if (missing) *missing = path;
      return std::nullopt;
    }
    for (int above = found; above >= 0; above = entries[above].parent) chosen[above] = true;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (Within(entries, static_cast<int>(i), found)) chosen[i] = true;
    }
  }
  std::vector<int> indices;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (chosen[i]) indices.push_back(static_cast<int>(i));
  }
  return indices;
}

std::string SafeFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return "_";
  std::string safe = name;
  for (char& c : safe) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7F) c = '_';
  }
  return safe;
}

std::vector<ExtractResult> ExtractEntries(const FatVolume& volume, const std::vector<int>& chosen,
                                          const std::string& folder, bool replace) {
  const std::vector<FatEntry>& entries = volume.Entries();
  std::vector<std::string> targets(entries.size());
  std::vector<bool> usable(entries.size(), false);
  std::vector<ExtractResult> results;
  std::vector<int> madeFolders;
  for (int index : chosen) {
    const FatEntry& entry = entries[index];
    const int parent = entry.parent;
    // A folder above that could not be made (or was not chosen) takes everything in it along.
    if (parent >= 0 && !usable[parent]) continue;
    const std::string& base = parent >= 0 ? targets[parent] : folder;
    targets[index] = base + "/" + SafeFileName(entry.name);
    const std::string& target = targets[index];
    if (entry.folder) {
      usable[index] = MakeFolder(target);
      if (usable[index]) {
        madeFolders.push_back(index);
      } else {
        results.push_back({index, target, ExtractOutcome::NoFolder});
      }
      continue;
    }
    const NameUse use = UseOfName(target);
    if (use == NameUse::Other || (use == NameUse::RegularFile && !replace)) {
      results.push_back({index, target, ExtractOutcome::Exists});
      continue;
    }
    const std::vector<uint8_t> bytes = volume.FileBytes(entry);
    if (SaveWholeFile(target, bytes.data(), bytes.size()) != FileSave::Start::Ready) {
      results.push_back({index, target, ExtractOutcome::SaveFailed});
      continue;
    }
    SetModificationTime(target, entry.modified);
    results.push_back({index, target, ExtractOutcome::Written});
  }
  // A folder's time last, once nothing more is written into it; the deepest first.
  std::reverse(madeFolders.begin(), madeFolders.end());
  for (int index : madeFolders) {
    SetModificationTime(targets[index], entries[index].modified);
    results.push_back({index, targets[index], ExtractOutcome::Written});
  }
  return results;
}
