#include "image/RescueMap.h"

#include "base/File.h"
#include "base/Geometry.h"
#include "base/Texts.h"
#include "image/forms/ImageForm.h"

namespace {

// A floppy's map has at most a few thousand lines; anything far larger is not a map of a floppy.
constexpr uint64_t kLargestMapBytes = 4u << 20;

// At least eight digits, as maps are usually written, so that the columns line up.
std::string Hex(uint64_t value) {
  std::string digits;
  for (; value != 0 || digits.size() < 8; value >>= 4) digits.insert(digits.begin(), "0123456789ABCDEF"[value & 15]);
  return "0x" + digits;
}

// A line split into fields at blanks; a '#' begins a comment that runs to the end of the line.
std::vector<std::string_view> Fields(std::string_view line) {
  std::size_t hash = line.find('#');
  if (hash != std::string_view::npos) line = line.substr(0, hash);
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    if (end > at) fields.push_back(line.substr(at, end - at));
    at = end;
  }
  return fields;
}

// A number as the format writes them: decimal, 0x hexadecimal or 0 octal.
std::optional<uint64_t> Number(std::string_view text) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '0') {
    base = 8;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return std::nullopt;
    if (digit >= base || value > (UINT64_MAX - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

bool IsBlockStatus(std::string_view s) { return s.size() == 1 && std::string_view("?*/-+").find(s[0]) != std::string_view::npos; }
bool IsPositionStatus(std::string_view s) { return s.size() == 1 && std::string_view("?*/-FG+").find(s[0]) != std::string_view::npos; }

}  // namespace

std::string RescueMapPathOf(const std::string& imagePath) { return imagePath + ".map"; }

RescueProgress FinishedRescue(const std::vector<bool>& badSectors) {
  RescueProgress progress;
  for (bool bad : badSectors) progress.sectors += bad ? '-' : '+';
  progress.position = uint64_t{badSectors.size()} * kSectorBytes;
  return progress;
}

std::string RescueMapText(const RescueProgress& progress, int pass) {
  const std::string& sectors = progress.sectors;
  uint64_t size = uint64_t{sectors.size()} * kSectorBytes;
  std::string text = "# Mapfile of a floppy disk rescued by Diskelle (" + std::to_string(size / 1024) + " KB)\n";
  text += "# current_pos  current_status  current_pass\n";
  text += Hex(progress.position) + "     " + progress.status + "               " + std::to_string(pass) + "\n";
  text += "#      pos        size  status\n";
  std::size_t first = 0;
  while (first < sectors.size()) {
    std::size_t end = sectors.find_first_not_of(sectors[first], first);
    if (end == std::string::npos) end = sectors.size();
    text += Hex(uint64_t{first} * kSectorBytes) + "  " + Hex(uint64_t{end - first} * kSectorBytes) + "  " +
            sectors[first] + "\n";
    first = end;
  }
  return text;
}

std::optional<std::string> ParseRescueMap(std::string_view text, uint64_t diskBytes) {
  if (diskBytes == 0 || diskBytes % kSectorBytes != 0 || text.size() > kLargestMapBytes) return std::nullopt;
  std::string sectors(static_cast<std::size_t>(diskBytes / kSectorBytes), '+');
  bool statusSeen = false;
  uint64_t next = 0;  // the blocks follow each other without gaps from 0
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::vector<std::string_view> fields = Fields(text.substr(at, end - at));
    at = end + 1;
    if (fields.empty()) continue;
    if (!statusSeen) {
      // The position being tried, its phase and (since later versions) the pass.
      if (fields.size() < 2 || fields.size() > 3 || !Number(fields[0]) || !IsPositionStatus(fields[1])) return std::nullopt;
      if (fields.size() == 3 && !Number(fields[2])) return std::nullopt;
      statusSeen = true;
      continue;
    }
    if (fields.size() != 3 || !IsBlockStatus(fields[2])) return std::nullopt;
    std::optional<uint64_t> position = Number(fields[0]);
    std::optional<uint64_t> size = Number(fields[1]);
    if (!position || !size || *position != next || *size == 0 || *size > diskBytes - next) return std::nullopt;
    char status = fields[2][0] == '?' ? '?' : fields[2][0] == '+' ? '+' : '-';
    if (status != '+') {
      for (uint64_t sector = next / kSectorBytes; sector <= (next + *size - 1) / kSectorBytes; ++sector) {
        if (sectors[sector] != '-') sectors[sector] = status;
      }
    }
    next += *size;
  }
  if (!statusSeen || next != diskBytes) return std::nullopt;
  return sectors;
}

std::optional<std::string> LoadRescueMap(const std::string& path, uint64_t diskBytes, IMessageBoxes& boxes,
                                         int damagedText) {
  File file = File::Open(path, FileMode::Read);
  std::optional<uint64_t> size = file ? file.Size() : std::nullopt;
  if (!size) {
    ShowError(boxes, kTextCannotOpen, {path});
    return std::nullopt;
  }
  std::optional<std::string> bad;
  if (*size <= kLargestMapBytes) {
    std::string text(static_cast<std::size_t>(*size), '\0');
    if (file.Read(text.data(), text.size()) != text.size()) {
      ShowError(boxes, kTextCannotOpen, {path});
      return std::nullopt;
    }
    bad = ParseRescueMap(text, diskBytes);
  }
  if (!bad) ShowError(boxes, damagedText, {path});
  return bad;
}

void RemoveOutdatedRescueMap(const std::string& imagePath) {
  const ImageForm* form = FormOfPath(imagePath);
  if (!form || !form->rawSectors) return;
  const std::string mapPath = RescueMapPathOf(imagePath);
  if (UseOfName(mapPath) == NameUse::RegularFile) RemoveFile(mapPath);
}

int SaveRescueMap(const std::string& path, const RescueProgress& progress, int pass, IMessageBoxes& boxes) {
  std::string text = RescueMapText(progress, pass);
  if (SaveWholeFile(path, text.data(), text.size()) == FileSave::Start::Ready) return 0;
  ShowError(boxes, kTextCannotCreate, {path});
  return -1;
}
