#pragma once
// The files an image's bad sectors hit, for the bad-sector report: read from the image once its job has
// ended, so that every front end shows the same.

#include <optional>
#include <string>
#include <vector>

#include "filesystem/FileRows.h"

struct DamagedFiles {
  std::vector<FileRow> rows;
  std::string areas;
};

// nullopt when the image at path holds no FAT volume (or cannot be read: the report of the sectors stands
// without it).
std::optional<DamagedFiles> ReadDamagedFiles(const std::string& imagePath);
