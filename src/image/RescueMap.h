#pragma once
// The map beside an emergency image (<image>.map), in GNU ddrescue's mapfile format, so that a rescue can be
// resumed later (in this or another drive) and other rescue tools can show it. Blocks are whole sectors:
// "+" read, "-" still bad.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/MessageBoxes.h"
#include "base/Texts.h"

std::string RescueMapPathOf(const std::string& imagePath);

// Where a rescue stands when its map is written: one status per sector ('+' read, '-' bad, '?' not tried
// yet), the byte position it has reached and the phase there ('?' first pass, '-' retrying, '+' finished).
struct RescueProgress {
  std::string sectors;
  uint64_t position = 0;
  char status = '+';
};
// A finished rescue's progress: one flag per sector (true = bad).
RescueProgress FinishedRescue(const std::vector<bool>& badSectors);

// The map text of a disk; pass counts the passes made so far.
std::string RescueMapText(const RescueProgress& progress, int pass);

// One status per sector of a disk of diskBytes: '+' when every byte of it is marked finished, else '-' when
// some of it failed ('-', and the '*' and '/' of other tools), else '?' (not tried). nullopt for a map that
// is damaged or describes another size.
std::optional<std::string> ParseRescueMap(std::string_view text, uint64_t diskBytes);

// The map at path: nullopt after message 107 (cannot be read) or damagedText (the map is damaged or of
// another disk), whose caller knows what the damage costs.
std::optional<std::string> LoadRescueMap(const std::string& path, uint64_t diskBytes, IMessageBoxes& boxes,
                                         int damagedText = kTextRescueMapUnusable);

// Removes the map beside the raw image at imagePath once the image no longer is the rescue the map describes
// (a whole read or a conversion has replaced it). Only a regular file beside an image of a form that holds
// raw sectors is removed: beside any other form a file of that name is the user's.
void RemoveOutdatedRescueMap(const std::string& imagePath);

// Saves the map through FileSave: 0, or -1 after message 106 with the path.
int SaveRescueMap(const std::string& path, const RescueProgress& progress, int pass, IMessageBoxes& boxes);
