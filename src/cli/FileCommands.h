#pragma once
// The files on the disk an image holds: --files <image> lists them with the damage the image's bad sectors
// did, --extract [--force] <image> <folder> [path...] writes them (all, or the named ones) into a folder.

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/MessageBoxes.h"

// The exit status when arguments ask for one of these options, nullopt when they ask for neither: 0 nothing
// damaged, 1 something damaged (or not written, or written under another name), 2 an unusable image or
// folder, or paths of which none is on the disk. Once cancel is set, an extraction begins no further file.
std::optional<int> RunFileCommand(const std::vector<std::string>& arguments, IMessageBoxes& boxes, std::FILE* out,
                                  std::FILE* err, const std::atomic<bool>* cancel = nullptr);
