#include "filesystem/FatNamesOut.h"

#include <algorithm>

#include "base/CodePage.h"
#include "base/LittleEndian.h"
#include "base/Utf.h"
#include "filesystem/FatNames.h"
#include "filesystem/NameFolding.h"

namespace {

constexpr std::size_t kMostLongNameUnits = 255;
constexpr std::string_view kForbiddenInLongNames = "\\/:*?\"<>|";
// Characters a long name may hold but a short name may not; they become '_' in the basis.
constexpr std::string_view kForbiddenInShortNames = "+,;=[]";
constexpr std::string_view kForbiddenInLabels = "\\/:*?\"<>|+,;=[].";

// The name's characters, one UTF-8 string each.
std::vector<std::string> Characters(std::string_view utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size();
    characters.push_back(Utf16ToUtf8(std::u16string_view(units).substr(i, pair ? 2 : 1)));
    i += pair;
  }
  return characters;
}

// A character of an upper-cased name in the code page, or nullopt where the code page lacks it (the
// conversion gives '?', which no name may hold) or a short name may not hold it.
std::optional<std::string> InCodePage(const std::string& character, std::string_view forbidden) {
  if (character.size() == 1) {
    const unsigned char c = static_cast<unsigned char>(character[0]);
    if (c <= 0x20 || c == 0x7F || forbidden.find(character[0]) != std::string_view::npos) return std::nullopt;
    return character;
  }
  std::string bytes = ToSystemCodePage(character);
  if (bytes.empty() || bytes.find('?') != std::string::npos) return std::nullopt;
  return bytes;
}

bool PlainShortCharacter(char c) {
  return c > 0x20 && c < 0x7F && kForbiddenInShortNames.find(c) == std::string_view::npos &&
         kForbiddenInLongNames.find(c) == std::string_view::npos && c != '.';
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The lower-case flag for one part of a plain name: 0 when it has no lower-case letter, flag when it has no
// upper-case one, nullopt when it mixes them (only a long name keeps that).
std::optional<uint8_t> CaseFlag(std::string_view part, uint8_t flag) {
  const bool lower = std::any_of(part.begin(), part.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  const bool upper = std::any_of(part.begin(), part.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
  if (lower && upper) return std::nullopt;
  return lower ? flag : 0;
}

void Place(ShortNameBytes& bytes, std::string_view base, std::string_view extension) {
  bytes.fill(' ');
  std::copy(base.begin(), base.end(), bytes.begin());
  std::copy(extension.begin(), extension.end(), bytes.begin() + 8);
  if (bytes[0] == 0xE5) bytes[0] = 0x05;  // E5 would mark the entry deleted
}

// A name of printable ASCII in 8.3 form is its own short name.
std::optional<ShortName> PlainShortName(std::string_view name) {
  const std::size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view extension = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3 ||
      !std::all_of(base.begin(), base.end(), PlainShortCharacter) ||
      !std::all_of(extension.begin(), extension.end(), PlainShortCharacter)) {
    return std::nullopt;
  }
  ShortName plain;
  std::string upperBase(base), upperExtension(extension);
  std::transform(upperBase.begin(), upperBase.end(), upperBase.begin(), AsciiUpper);
  std::transform(upperExtension.begin(), upperExtension.end(), upperExtension.begin(), AsciiUpper);
  Place(plain.bytes, upperBase, upperExtension);
  const std::optional<uint8_t> baseFlag = CaseFlag(base, kLowerBase);
  const std::optional<uint8_t> extensionFlag = CaseFlag(extension, kLowerExtension);
  plain.needsLongName = !baseFlag || !extensionFlag;
  plain.lowerFlags = plain.needsLongName ? 0 : static_cast<uint8_t>(*baseFlag | *extensionFlag);
  return plain;
}

// Characters (already in the code page) joined up to most bytes, a double-byte character never split; lossy
// is set when some were left out.
std::string Joined(const std::vector<std::string>& characters, std::size_t most, bool& lossy) {
  std::string joined;
  for (const std::string& character : characters) {
    if (joined.size() + character.size() > most) {
      lossy = true;
      break;
    }
    joined += character;
  }
  return joined;
}

}  // namespace

NameFault CheckLongName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return NameFault::Empty;
  if (Utf16ToUtf8(Utf8ToUtf16(name)) != name) return NameFault::NotUtf8;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return NameFault::ControlCharacter;
    if (kForbiddenInLongNames.find(c) != std::string_view::npos) return NameFault::ForbiddenCharacter;
  }
  if (Utf8ToUtf16(name).size() > kMostLongNameUnits) return NameFault::TooLong;
  if (name.back() == '.' || name.back() == ' ') return NameFault::TrailingDotOrSpace;
  return NameFault::None;
}

ShortName MakeShortName(std::string_view longName, const std::function<bool(const ShortNameBytes&)>& taken) {
  if (std::optional<ShortName> plain = PlainShortName(longName); plain && !taken(plain->bytes)) return *plain;

  // The basis: upper-cased, spaces and leading dots dropped, the part before the last dot without its dots,
  // characters a short name cannot hold as '_'. Each of these loses something, and so does cutting.
  bool lossy = false;
  std::vector<std::string> characters;
  for (const std::string& character : Characters(UpperCasedName(longName))) {
    if (character == " " || (character == "." && characters.empty())) {
      lossy = true;
    } else {
      characters.push_back(character);
    }
  }
  const auto lastDot = std::find(characters.rbegin(), characters.rend(), ".");
  const std::size_t split = lastDot == characters.rend() ? characters.size() : characters.rend() - lastDot - 1;
  std::vector<std::string> base, extension;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    if (i == split) continue;
    if (characters[i] == ".") {
      lossy = true;
      continue;
    }
    std::optional<std::string> converted = InCodePage(characters[i], kForbiddenInShortNames);
    if (!converted) {
      lossy = true;
      converted = "_";
    }
    (i < split ? base : extension).push_back(*converted);
  }
  if (base.empty()) base.push_back("_");
  const std::string extensionBytes = Joined(extension, 3, lossy);

  ShortName made;
  std::string baseBytes = Joined(base, 8, lossy);
  Place(made.bytes, baseBytes, extensionBytes);
  if (!lossy && !taken(made.bytes)) return made;
  // "~1", "~2"...: the basis cut to leave room for the tail, until the name is one the folder lacks.
  for (int n = 1;; ++n) {
    const std::string tail = "~" + std::to_string(n);
    bool cut = false;
    Place(made.bytes, Joined(base, 8 - tail.size(), cut) + tail, extensionBytes);
    if (!taken(made.bytes)) return made;
  }
}

std::vector<FatEntryBytes> LongNameEntries(std::string_view name, uint8_t checksum) {
  const std::u16string units = Utf8ToUtf16(name);
  const std::size_t count = (units.size() + kLongNameUnits - 1) / kLongNameUnits;
  std::vector<FatEntryBytes> entries;
  for (std::size_t ordinal = count; ordinal >= 1; --ordinal) {
    FatEntryBytes entry{};
    entry[0] = static_cast<uint8_t>(ordinal | (ordinal == count ? kLastLongEntry : 0));
    entry[11] = 0x0F;
    entry[13] = checksum;
    for (int i = 0; i < kLongNameUnits; ++i) {
      const std::size_t at = (ordinal - 1) * kLongNameUnits + static_cast<std::size_t>(i);
      // The name ends in a NUL where there is room for one; the rest of the entry is FFFF.
      const uint16_t unit = at < units.size() ? units[at] : at == units.size() ? 0x0000 : 0xFFFF;
      PutLe16(entry.data() + kLongNameUnitOffsets[i], unit);
    }
    entries.push_back(entry);
  }
  return entries;
}

std::optional<ShortNameBytes> LabelBytes(std::string_view text) {
  if (Utf16ToUtf8(Utf8ToUtf16(text)) != text) return std::nullopt;
  std::string bytes;
  for (const std::string& character : Characters(UpperCasedName(text))) {
    // Labels may hold spaces, though not first.
    std::optional<std::string> converted =
        character == " " && !bytes.empty() ? std::optional<std::string>(" ") : InCodePage(character, kForbiddenInLabels);
    if (!converted) return std::nullopt;
    bytes += *converted;
  }
  if (bytes.size() > 11) return std::nullopt;
  ShortNameBytes label;
  label.fill(' ');
  std::copy(bytes.begin(), bytes.end(), label.begin());
  return label;
}
