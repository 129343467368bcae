#include "filesystem/Extraction.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "filesystem/FatNames.h"
#include "filesystem/NameFolding.h"

namespace {

// The entry's last path step as the listing writes it.
std::string ListedName(const FatEntry& entry) {
  std::string step = entry.path;
  if (entry.folder) step.pop_back();
  const std::size_t slash = step.rfind('/');
  return slash == std::string::npos ? step : step.substr(slash + 1);
}

// "name (n).ext" for a file, "name (n)" for a folder.
std::string Numbered(const std::string& name, int n, bool folder) {
  const std::size_t dot = folder ? std::string::npos : name.rfind('.');
  const std::string number = " (" + std::to_string(n) + ")";
  if (dot == std::string::npos || dot == 0) return name + number;
  return name.substr(0, dot) + number + name.substr(dot);
}

bool Stops(FileError error) { return error == FileError::NoSpace; }

// One extraction: the names each folder of the target has been given, the files written and folders made.
class Extraction {
 public:
  Extraction(const FatVolume& volume, const std::string& folder, const ExtractOptions& options)
      : volume_(volume), entries_(volume.Entries()), folder_(folder), options_(options) {}

  ExtractReport Run(const std::vector<int>& chosen) {
    PlanNames(chosen);
    targets_.assign(entries_.size(), std::string());
    usable_.assign(entries_.size(), false);
    sync_.Watch(folder_);
    RemoveAbandonedSavesIn(folder_);
    int begun = 0;
    for (int index : chosen) {
      if (options_.cancel && options_.cancel->load()) {
        report_.stop = ExtractStop::Cancelled;
        break;
      }
      const FatEntry& entry = entries_[index];
      const int parent = entry.parent;
      // A folder above that could not be made (or was not chosen) takes everything in it along.
      if (parent >= 0 && !usable_[parent]) continue;
      if (!entry.folder) ++begun;
      entry.folder ? MakeFolderOf(index) : WriteFileOf(index);
      if (report_.stop != ExtractStop::None) break;
    }
    int files = 0;
    for (int index : chosen) files += !entries_[index].folder;
    report_.skipped = files - begun;
    ReplaceTaken();
    // A folder's time last, once nothing more is written into it; the deepest first.
    for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) {
      SetModificationTime(targets_[*it], entries_[*it].modified);
    }
    report_.synced = sync_.Finish(&report_.syncError);
    return std::move(report_);
  }

 private:
  using Names = std::unordered_set<std::string>;

  Names& NamesIn(int folder) { return names_[folder]; }

  // Of the entries of a folder with one name, the first whose name needed no change keeps it (else the first
  // of them); the others get the lowest free number. All names are known before any is numbered, so that a
  // disk's own "a (2).txt" keeps its name.
  void PlanNames(const std::vector<int>& chosen) {
    planned_.assign(entries_.size(), std::string());
    changes_.assign(entries_.size(), NameChange::None);
    for (int index : chosen) NamesIn(entries_[index].parent).insert(FoldedName(SafeFileName(entries_[index].name)));
    Names kept;
    for (bool asOnDisk : {true, false}) {
      for (int index : chosen) {
        const FatEntry& entry = entries_[index];
        const std::string safe = SafeFileName(entry.name);
        if ((safe == entry.name) != asOnDisk) continue;
        if (kept.insert(std::to_string(entry.parent) + "/" + FoldedName(safe)).second) {
          planned_[index] = safe;
          continue;
        }
        planned_[index] = FreeName(entry.parent, safe, entry.folder, 2);
        changes_[index] = NameChange::Collision;
      }
    }
  }

  // name (numbered from first on when first > 1) or the lowest number after it that the folder has not given
  // yet; it is given now.
  std::string FreeName(int folder, const std::string& name, bool isFolder, int first) {
    Names& names = NamesIn(folder);
    std::string candidate = first > 1 ? Numbered(name, first, isFolder) : name;
    for (int n = first + 1; !names.insert(FoldedName(candidate)).second; ++n) candidate = Numbered(name, n, isFolder);
    return candidate;
  }

  std::string TargetIn(int parent, const std::string& name) const {
    return (parent >= 0 ? targets_[parent] : folder_) + "/" + name;
  }

  // The short name when the long one is too long for this system: false when it is the short name already.
  bool TakeShortName(int index) {
    const FatEntry& entry = entries_[index];
    if (changes_[index] == NameChange::ShortName || entry.shortName == entry.name) return false;
    planned_[index] = FreeName(entry.parent, SafeFileName(entry.shortName), entry.folder, 1);
    changes_[index] = NameChange::ShortName;
    return true;
  }

  void Add(int index, ExtractOutcome outcome, FileError error = FileError::None) {
    report_.results.push_back({index, targets_[index], outcome, changes_[index], error});
    if (Stops(error)) report_.stop = ExtractStop::DiskFull;
  }

  void MakeFolderOf(int index) {
    FileError error = FileError::None;
    FolderMade made;
    do {
      targets_[index] = TargetIn(entries_[index].parent, planned_[index]);
      made = MakeFolder(targets_[index], &error);
    } while (made == FolderMade::Failed && error == FileError::NameTooLong && TakeShortName(index));
    if (made != FolderMade::Made && made != FolderMade::Existed) return Add(index, ExtractOutcome::NoFolder, error);
    usable_[index] = true;
    madeFolders_.push_back(index);
    if (made == FolderMade::Existed) {
      RemoveAbandonedSavesIn(targets_[index]);
      sync_.Watch(targets_[index]);
    }
    Add(index, ExtractOutcome::Written);
  }

  // Writes the file at its target: the placing New refuses any name that is taken, NewOrFile replaces a
  // regular file there.
  FileError Save(int index, FileSave::Placing placing) {
    const FatEntry& entry = entries_[index];
    FileSave save;
    const FileSave::Start start = save.Begin(targets_[index], placing);
    if (start != FileSave::Start::Ready) {
      return start == FileSave::Start::CannotCreate ? save.Error() : FileError::Exists;
    }
    const std::vector<uint8_t> bytes = volume_.FileBytes(entry);
    save.SetModified(entry.modified);
    if (!save.Write(bytes.data(), bytes.size()) || !save.Commit()) {
      return save.Error() == FileError::None ? FileError::Other : save.Error();
    }
    sync_.Add(targets_[index]);
    return FileError::None;
  }

  void WriteFileOf(int index) {
    const FileSave::Placing placing = options_.replace ? FileSave::Placing::NewOrFile : FileSave::Placing::New;
    FileError error;
    do {
      targets_[index] = TargetIn(entries_[index].parent, planned_[index]);
      error = Save(index, placing);
    } while (error == FileError::NameTooLong && TakeShortName(index));
    if (error == FileError::None) return Add(index, ExtractOutcome::Written);
    Add(index, error == FileError::Exists ? ExtractOutcome::Exists : ExtractOutcome::Failed, error);
  }

  // The files that were there, once the person asked says so: at the targets they were refused.
  void ReplaceTaken() {
    if (options_.replace || !options_.askReplace || report_.stop != ExtractStop::None) return;
    std::vector<ExtractResult> taken;
    for (const ExtractResult& result : report_.results) {
      if (result.outcome == ExtractOutcome::Exists) taken.push_back(result);
    }
    if (taken.empty() || !options_.askReplace(taken)) return;
    for (ExtractResult& result : report_.results) {
      if (result.outcome != ExtractOutcome::Exists || report_.stop != ExtractStop::None) continue;
      result.error = Save(result.entry, FileSave::Placing::NewOrFile);
      result.outcome = result.error == FileError::None     ? ExtractOutcome::Written
                       : result.error == FileError::Exists ? ExtractOutcome::Exists
                                                           : ExtractOutcome::Failed;
      if (Stops(result.error)) report_.stop = ExtractStop::DiskFull;
    }
  }

  const FatVolume& volume_;
  const std::vector<FatEntry>& entries_;
  const std::string folder_;
  const ExtractOptions& options_;
  std::unordered_map<int, Names> names_;  // folded names given, per folder (-1: the target folder)
  std::vector<std::string> planned_;      // the name each entry is to have
  std::vector<NameChange> changes_;
  std::vector<std::string> targets_;
  std::vector<bool> usable_;
  std::vector<int> madeFolders_;
  DeferredSync sync_;
  ExtractReport report_;
};

}  // namespace

std::vector<int> WithSurroundings(const FatVolume& volume, const std::vector<int>& entries) {
  const std::vector<FatEntry>& all = volume.Entries();
  std::vector<bool> chosen(all.size(), false);
  for (int index : entries) chosen[static_cast<std::size_t>(index)] = true;
  // Folders come before their contents: whether a folder is taken whole is known when its contents come.
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i].parent >= 0 && chosen[static_cast<std::size_t>(all[i].parent)]) chosen[i] = true;
  }
  for (int index : entries) {
    for (int above = all[static_cast<std::size_t>(index)].parent; above >= 0;
         above = all[static_cast<std::size_t>(above)].parent) {
      chosen[static_cast<std::size_t>(above)] = true;
    }
  }
  std::vector<int> indices;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (chosen[i]) indices.push_back(static_cast<int>(i));
  }
  return indices;
}

std::vector<int> SelectEntries(const FatVolume& volume, const std::vector<std::string>& paths,
                               std::vector<std::string>* missing) {
  const std::vector<FatEntry>& entries = volume.Entries();
  if (paths.empty()) {
    std::vector<int> all(entries.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    return all;
  }
  std::vector<std::vector<int>> children(entries.size() + 1);
  for (std::size_t i = 0; i < entries.size(); ++i) children[entries[i].parent + 1].push_back(static_cast<int>(i));
  std::vector<int> named;
  for (const std::string& path : paths) {
    const std::vector<std::string> steps = DiskPathSteps(path);
    if (steps.empty()) return SelectEntries(volume, {}, missing);  // "/": the whole disk
    std::vector<int> level{-1};
    for (std::size_t s = 0; s < steps.size() && !level.empty(); ++s) {
      const std::string wanted = FoldedName(steps[s]);
      std::vector<int> next;
      for (int folder : level) {
        for (int child : children[folder + 1]) {
          const FatEntry& entry = entries[child];
          if (s + 1 < steps.size() && !entry.folder) continue;
          if (FoldedName(ListedName(entry)) == wanted || FoldedName(entry.shortName) == wanted) next.push_back(child);
        }
      }
      level = std::move(next);
    }
    if (level.empty() && missing) missing->push_back(path);
    named.insert(named.end(), level.begin(), level.end());
  }
  return WithSurroundings(volume, named);
}

std::string SafeFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return "_";
  std::string safe = name;
  for (char& c : safe) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) c = '_';
  }
  if (safe.back() == '.' || safe.back() == ' ') safe.back() = '_';
  if (!DeviceName(safe)) return safe;
  const std::size_t dot = std::min(safe.find('.'), safe.size());
  return safe.substr(0, dot) + "_" + safe.substr(dot);
}

ExtractReport ExtractEntries(const FatVolume& volume, const std::vector<int>& chosen, const std::string& folder,
                             const ExtractOptions& options) {
  return Extraction(volume, folder, options).Run(chosen);
}
