#pragma once
// Taking files off a disk's volume into a folder of this system: names made safe, nothing written outside
// the folder, nothing replaced unless asked, every file saved through FileSave and given its time.

#include <optional>
#include <string>
#include <vector>

#include "filesystem/FatVolume.h"

// The entries paths name, as the listing writes them (a folder's slash may be left off; letters may differ
// in case): each named folder with everything in it, and the folders above every named entry. Every entry
// when paths is empty. nullopt, and the first path that names nothing in missing.
std::optional<std::vector<int>> SelectEntries(const FatVolume& volume, const std::vector<std::string>& paths,
                                              std::string* missing);

// A disk's name as one step of a path here: separators, drive colons and control characters become '_', and
// "", "." and ".." become "_".
std::string SafeFileName(const std::string& name);

enum class ExtractOutcome {
  Written,
  Exists,      // something has the name already and replacing was not asked (or it is no regular file)
  NoFolder,    // a folder on the way cannot be made (or the name is taken by a file or a link)
  SaveFailed,  // the file could not be saved
};
struct ExtractResult {
  int entry;           // index in volume.Entries()
  std::string target;  // where it went, or would have gone
  ExtractOutcome outcome;
};

// Writes the chosen entries (indices into volume.Entries(), folders before their contents) under folder,
// which must exist. Files are written whole, damaged ones with their marker blocks; times are set after.
std::vector<ExtractResult> ExtractEntries(const FatVolume& volume, const std::vector<int>& chosen,
                                          const std::string& folder, bool replace);
