#pragma once
// Extraction as a person starts it from the files window: the chosen entries (or all) into a folder,
// existing files replaced only after asking, and one message that says what was written and what not.

#include <functional>
#include <string>
#include <vector>

#include "filesystem/FatVolume.h"

struct ExtractionSummary {
  int written = 0;                   // files written, damaged ones included
  std::vector<std::string> damaged;  // disk paths of files written with marker blocks
  std::vector<std::string> unknown;  // ... whose missing parts are marker blocks
  std::vector<std::string> kept;     // existing files left as they were
  std::vector<std::string> failed;   // files and folders that could not be written
  std::vector<std::string> renamed;  // "disk path -> name written", names that collided or were too long
  std::string fullAt;                // the file or folder that found the disk full (the rest was not tried)
  bool unsynced = false;             // what was written did not all reach the disk
  bool Flawless() const {
    return damaged.empty() && unknown.empty() && kept.empty() && failed.empty() && renamed.empty() &&
           fullAt.empty() && !unsynced;
  }
};

// Extracts the entries (indices into volume.Entries(), each folder with everything in it; every entry when
// none) under folder, which must exist. When files there have the names already, askReplace gets their disk
// paths and says whether to replace them.
ExtractionSummary ExtractChosen(const FatVolume& volume, const std::vector<int>& entries, const std::string& folder,
                                const std::function<bool(const std::vector<std::string>&)>& askReplace);

// The message after an extraction into folder.
std::string ExtractionMessage(const ExtractionSummary& summary, const std::string& folder);
// Paths one a line; past a dozen, how many more.
std::string PathLines(const std::vector<std::string>& paths);
