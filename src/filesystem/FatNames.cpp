#include "filesystem/FatNames.h"

#include <algorithm>

#include "base/CodePage.h"
#include "base/LittleEndian.h"
#include "base/Utf.h"

namespace {

// Trailing spaces cut; ASCII letters lowered when asked, leaving the second byte of a double-byte character
// (which may look like a letter) alone.
std::string NamePart(const uint8_t* bytes, int size, bool lower) {
  while (size > 0 && bytes[size - 1] == ' ') --size;
  std::string part(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
  for (std::size_t i = 0; i < part.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(part[i]);
    if (c >= 0x81) {
      ++i;
    } else if (lower && c >= 'A' && c <= 'Z') {
      part[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return part;
}

}  // namespace

std::vector<std::string> DiskPathSteps(std::string_view path) {
  std::vector<std::string> steps;
  for (std::size_t at = 0; at <= path.size();) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    if (slash > at) steps.emplace_back(path.substr(at, slash - at));
    at = slash + 1;
  }
  return steps;
}

uint8_t ShortNameChecksum(const uint8_t* entry) {
  uint8_t sum = 0;
  for (int i = 0; i < 11; ++i) sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + entry[i]);
  return sum;
}

std::string ShortNameOf(const uint8_t* entry) {
  uint8_t first[8];
  for (int i = 0; i < 8; ++i) first[i] = entry[i];
  if (first[0] == 0x05) first[0] = 0xE5;  // a name beginning with byte E5 (a deleted entry's mark) is stored so
  std::string name = NamePart(first, 8, (entry[12] & kLowerBase) != 0);
  std::string extension = NamePart(entry + 8, 3, (entry[12] & kLowerExtension) != 0);
  if (!extension.empty()) name += "." + extension;
  return FromSystemCodePage(name);
}

void LongNameCollector::Add(const uint8_t* entry) {
  const int ordinal = entry[0] & 0x1F;
  if (entry[0] & kLastLongEntry) {
    count_ = ordinal;
    checksum_ = entry[13];
    expected_ = ordinal;
    for (char16_t& unit : units_) unit = 0;
  }
  if (ordinal < 1 || ordinal > 20 || ordinal != expected_ || entry[13] != checksum_) {
    expected_ = -1;
    return;
  }
  for (int i = 0; i < kLongNameUnits; ++i) {
    units_[(ordinal - 1) * kLongNameUnits + i] = static_cast<char16_t>(GetLe16(entry + kLongNameUnitOffsets[i]));
  }
  --expected_;
}

std::string LongNameCollector::TakeFor(const uint8_t* shortEntry) {
  const bool complete = expected_ == 0 && checksum_ == ShortNameChecksum(shortEntry);
  expected_ = -1;
  if (!complete) return {};
  std::u16string name;
  for (int i = 0; i < count_ * kLongNameUnits && units_[i] != 0; ++i) name += units_[i];
  return Utf16ToUtf8(name);
}
