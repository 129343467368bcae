#include "support/MapfileReader.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

bool ParseInteger(const std::string& word, uint64_t& value) {
  if (word.empty() || word[0] == '-' || word[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoull(word.c_str(), &end, 0);
  return errno == 0 && end && *end == '\0';
}

std::optional<Mapfile> Fail(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return std::nullopt;
}

}  // namespace

std::optional<Mapfile> ReadMapfile(const std::string& text, std::string* why) {
  Mapfile map;
  bool haveStatus = false;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::string where = "line " + std::to_string(number) + ": ";
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    if (fields.empty()) continue;
    if (!haveStatus) {
      if (fields.size() != 2 && fields.size() != 3) return Fail(why, where + "status line needs 2 or 3 fields");
      if (!ParseInteger(fields[0], map.currentPosition)) return Fail(why, where + "bad current_pos");
      if (fields[1].size() != 1 || !std::strchr("?*/-FG+", fields[1][0])) return Fail(why, where + "bad current_status");
      map.currentStatus = fields[1][0];
      if (fields.size() == 3) {
        uint64_t pass = 0;
        if (!ParseInteger(fields[2], pass)) return Fail(why, where + "bad current_pass");
        map.currentPass = pass;
      }
      haveStatus = true;
      continue;
    }
    if (fields.size() != 3) return Fail(why, where + "block line needs 3 fields");
    MapfileBlock block{};
    if (!ParseInteger(fields[0], block.position) || !ParseInteger(fields[1], block.size)) {
      return Fail(why, where + "bad number");
    }
    if (fields[2].size() != 1 || !std::strchr("?*/-+", fields[2][0])) return Fail(why, where + "bad block status");
    block.status = fields[2][0];
    if (!map.blocks.empty()) {
      const MapfileBlock& last = map.blocks.back();
      if (block.position != last.position + last.size) return Fail(why, where + "blocks not contiguous");
    }
    map.blocks.push_back(block);
  }
  if (!haveStatus) return Fail(why, "no status line");
  return map;
}

std::vector<int64_t> BadSectorsOfMapfile(const Mapfile& map) {
  std::vector<int64_t> sectors;
  for (const MapfileBlock& block : map.blocks) {
    if (block.status != '-') continue;
    for (uint64_t at = block.position; at < block.position + block.size; at += 512) {
      sectors.push_back(static_cast<int64_t>(at / 512));
    }
  }
  return sectors;
}
