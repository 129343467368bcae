#pragma once
// Taking files off a disk's volume into a folder of this system: names made safe, and unique within the run
// (a run never replaces what it wrote itself); nothing written outside the folder; nothing replaced unless
// asked, and the last step of every file refuses to replace what another process put there meanwhile; every
// file whole through a temporary name, and the run put on the disk once at its end.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "filesystem/FatVolume.h"

// The entries paths name as the listing writes them: a folder's slash and a leading '/' may be left off or
// given, a step may be the long or the short name, and letters may differ in case as FAT's names may. A path
// that names several entries (a disk with two entries of one name) takes them all. Returns the named entries
// with their surroundings (WithSurroundings), every entry when paths is empty; paths that name nothing go to
// missing.
std::vector<int> SelectEntries(const FatVolume& volume, const std::vector<std::string>& paths,
                               std::vector<std::string>* missing);

// The entries (indices into volume.Entries()) with everything in the folders among them and the folders above
// them, in the volume's order (each folder before its contents).
std::vector<int> WithSurroundings(const FatVolume& volume, const std::vector<int>& entries);

// A disk's name as one step of a path here: separators, drive colons, the characters no Windows name may hold
// and control characters become '_', as do a trailing dot or space (Windows would drop them) and the names
// "", "." and ".."; a name this system takes for a device gets a '_' ("aux_.c" on Windows).
std::string SafeFileName(const std::string& name);

enum class ExtractOutcome {
  Written,
  Exists,    // something has the name and replacing was not asked (or it is no regular file)
  NoFolder,  // a folder on the way cannot be made (or the name is taken by a file or a link)
  Failed,    // the file could not be saved; error says why
};
enum class NameChange {
  None,
  Collision,  // its safe name is that of an entry before it in the same folder: "name (2).ext"
  ShortName,  // its long name is longer than this system allows: written under its short name
};
struct ExtractResult {
  int entry;           // index in volume.Entries()
  std::string target;  // where it went, or would have gone
  ExtractOutcome outcome;
  NameChange change = NameChange::None;
  FileError error = FileError::None;
};

enum class ExtractStop {
  None,
  Cancelled,  // the cancel flag was set: no entry was begun after it
  DiskFull,   // a file or folder found no room: the rest would not have either
};

struct ExtractOptions {
  bool replace = false;  // regular files of the names are replaced (never links, never the run's own files)
  // Asked once the run is through when replace is false and files had the names already (their results):
  // true replaces those that are regular files.
  std::function<bool(const std::vector<ExtractResult>&)> askReplace;
  const std::atomic<bool>* cancel = nullptr;
};

struct ExtractReport {
  std::vector<ExtractResult> results;  // in the order of the entries, folders as they were made
  ExtractStop stop = ExtractStop::None;
  int skipped = 0;      // chosen files that were not begun (the run stopped, or their folder failed)
  bool synced = true;   // everything written reached the disk
  FileError syncError = FileError::None;
};

// Writes the chosen entries (indices into volume.Entries(), folders before their contents) under folder,
// which must exist. Files are written whole, damaged ones with their marker blocks, with their times; a
// folder gets its time once everything in it is written.
ExtractReport ExtractEntries(const FatVolume& volume, const std::vector<int>& chosen, const std::string& folder,
                             const ExtractOptions& options);
