#pragma once
// Names as this program writes them into folder entries: which names FAT can hold, the 8.3 short name that
// Windows makes for a long name (its basis upper-cased in the code page, a "~N" tail where the long name
// does not fit or loses characters), the lower-case flags, the VFAT entries that carry a long name, and
// volume labels.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "filesystem/FatLayout.h"

using FatEntryBytes = std::array<uint8_t, kFatEntryBytes>;
using ShortNameBytes = std::array<uint8_t, 11>;

// Why FAT cannot hold a name (UTF-8, one step of a path).
enum class NameFault {
  None,
  Empty,               // "", ".", ".."
  ForbiddenCharacter,  // \ / : * ? " < > |
  ControlCharacter,    // below U+0020, or U+007F
  TooLong,             // more than 255 UTF-16 units
  TrailingDotOrSpace,  // Windows would cut them off: the name would not come back as given
  NotUtf8,             // bytes that are no UTF-8 text
};
NameFault CheckLongName(std::string_view name);

struct ShortName {
  ShortNameBytes bytes{};  // as the entry holds it (a first byte E5 stored as 05)
  uint8_t lowerFlags = 0;  // kLowerBase, kLowerExtension: the long name is the short one in lower case
  bool needsLongName = true;
};
// The short name for longName, which CheckLongName accepts; taken says whether a short name is in use in the
// folder. A name of plain ASCII in 8.3 form is its own short name (with lower-case flags where each part is
// in one case); any other name gets long-name entries too.
ShortName MakeShortName(std::string_view longName, const std::function<bool(const ShortNameBytes&)>& taken);

// The long-name entries of name for a short entry with this checksum, in the order the folder holds them
// (the name's last part first).
std::vector<FatEntryBytes> LongNameEntries(std::string_view name, uint8_t checksum);

// A volume label as the root's label entry and the boot sector hold it (upper-cased, padded with spaces):
// nullopt when the text has a character labels cannot hold or the code page lacks, or more than 11 bytes.
std::optional<ShortNameBytes> LabelBytes(std::string_view text);
