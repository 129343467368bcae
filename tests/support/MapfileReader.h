#pragma once
// A reader of GNU ddrescue mapfiles written from the format as its manual defines it, for checking the maps
// the program writes: comment lines begin with '#'; the first other line is the status line (current
// position, current status, and an optional current pass); every further line is a data block (position,
// size, status); numbers are decimal, hexadecimal with 0x or octal with a leading 0; blocks are contiguous and
// do not overlap. Kept apart from the program's own parser on purpose.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct MapfileBlock {
  uint64_t position;
  uint64_t size;
  char status;  // '?' non-tried, '*' non-trimmed, '/' non-scraped, '-' bad sector, '+' finished
  bool operator==(const MapfileBlock&) const = default;
};

struct Mapfile {
  uint64_t currentPosition = 0;
  char currentStatus = 0;  // '?', '*', '/', '-', 'F', 'G' or '+'
  std::optional<uint64_t> currentPass;
  std::vector<MapfileBlock> blocks;
};

// nullopt, with the reason in *why, when the text breaks a rule of the format.
std::optional<Mapfile> ReadMapfile(const std::string& text, std::string* why = nullptr);

// Linear indexes of the 512-byte sectors that lie in blocks with status '-'.
std::vector<int64_t> BadSectorsOfMapfile(const Mapfile& map);
