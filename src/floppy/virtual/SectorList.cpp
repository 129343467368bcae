#include "floppy/virtual/SectorList.h"

#include <algorithm>
#include <charconv>

namespace {

std::optional<int64_t> ParseIndex(const std::string& text) {
  int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::vector<int64_t>> ParseSectorList(const std::string& text, int64_t limit) {
  std::vector<int64_t> sectors;
  if (text.empty()) return sectors;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    std::size_t dash = item.find('-');
    std::optional<int64_t> first = ParseIndex(item.substr(0, dash));
    std::optional<int64_t> last = dash == std::string::npos ? first : ParseIndex(item.substr(dash + 1));
    if (!first || !last || *first > *last || *last >= limit) return std::nullopt;
    for (int64_t sector = *first; sector <= *last; ++sector) sectors.push_back(sector);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::sort(sectors.begin(), sectors.end());
  sectors.erase(std::unique(sectors.begin(), sectors.end()), sectors.end());
  return sectors;
}

std::string FormatSectorList(const std::vector<int64_t>& sectors) {
  if (sectors.empty()) return "-";
  std::string text;
  for (std::size_t i = 0; i < sectors.size();) {
    std::size_t j = i;
    while (j + 1 < sectors.size() && sectors[j + 1] == sectors[j] + 1) ++j;
    if (!text.empty()) text += ',';
    text += std::to_string(sectors[i]);
    if (j > i) text += '-' + std::to_string(sectors[j]);
    i = j + 1;
  }
  return text;
}
