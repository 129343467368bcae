#include "app/DamageMap.h"

#include "base/Format.h"
#include "base/Texts.h"
#include "base/Utf.h"

namespace {

constexpr int kTrackColumns = 6;  // "  79  "
constexpr const char* kHeadGap = "  ";

char SymbolOf(SectorState state) {
  switch (state) {
    case SectorState::Good: return '.';
    case SectorState::Bad: return 'X';
    case SectorState::Recovered: return 'R';
    case SectorState::Recreated: return 'C';
  }
  return '?';
}

const char* ColourOf(SectorState state) {
  switch (state) {
    case SectorState::Good: return "\033[32m";
    case SectorState::Bad: return "\033[1;31m";
    case SectorState::Recovered: return "\033[1;33m";
    case SectorState::Recreated: return "\033[1;35m";
  }
  return "";
}

constexpr const char* kColourOff = "\033[0m";

// Sector numbers 1, 5, 10, 15 ... at their columns, where they fit.
std::string Ruler(int sectors) {
  std::string ruler(static_cast<std::size_t>(sectors), ' ');
  for (int number = 1; number <= sectors; number = number == 1 ? 5 : number + 5) {
    std::string digits = std::to_string(number);
    std::size_t at = static_cast<std::size_t>(number - 1);
    if (at + digits.size() > ruler.size()) break;
    ruler.replace(at, digits.size(), digits);
  }
  return ruler;
}

// One head's sectors of a track; colours change only where the state does.
void AppendSide(std::string& line, const DamageMap& map, int track, int head, bool colours) {
  bool open = false;
  SectorState current = SectorState::Good;
  for (int sector = 0; sector < map.SectorsPerTrack(); ++sector) {
    SectorState state = map.At(track, head, sector);
    if (colours && (!open || state != current)) {
      line += ColourOf(state);
      open = true;
      current = state;
    }
    line += SymbolOf(state);
  }
  if (open) line += kColourOff;
}

}  // namespace

DamageMap::DamageMap(const FloppyGeometry& geometry, SectorState damage) : damage_(damage) {
  if (geometry.tracks <= 0 || geometry.tracks > kMaxSide || geometry.sectorsPerTrack <= 0 ||
      geometry.sectorsPerTrack > kMaxSide) {
    return;
  }
  tracks_ = geometry.tracks;
  sectorsPerTrack_ = geometry.sectorsPerTrack;
  cells_.assign(static_cast<std::size_t>(geometry.TotalSectors()), SectorState::Good);
}

SectorState DamageMap::At(int track, int head, int sector) const {
  if (track < 0 || track >= tracks_ || head < 0 || head >= kHeads || sector < 0 || sector >= sectorsPerTrack_) {
    return SectorState::Good;
  }
  return cells_[static_cast<std::size_t>((track * kHeads + head) * sectorsPerTrack_ + sector)];
}

void DamageMap::Mark(uint32_t offset, SectorState state) {
  std::size_t index = offset / kSectorBytes;
  if (index < cells_.size()) cells_[index] = state;
}

std::vector<SectorState> DamageMap::LegendStates() const {
  // Retries belong to reads only: a write's report never has recovered sectors.
  if (damage_ == SectorState::Recreated) return {SectorState::Good, SectorState::Recreated};
  return {SectorState::Good, SectorState::Bad, SectorState::Recovered};
}

DamageMap BuildDamageMap(const std::vector<uint32_t>& offsets, const FloppyGeometry& geometry,
                         const std::vector<RecoveredSector>& recovered, SectorState damage) {
  DamageMap map(geometry, damage);
  for (const RecoveredSector& sector : recovered) map.Mark(sector.offset, SectorState::Recovered);
  // A sector both recovered and still listed bad shows as bad: the image holds its marker.
  for (uint32_t offset : offsets) map.Mark(offset, damage);
  return map;
}

const char* SectorStateCaption(SectorState state) {
  switch (state) {
    case SectorState::Good: return kTextMapGood;
    case SectorState::Bad: return kTextMapBad;
    case SectorState::Recovered: return kTextMapRecovered;
    case SectorState::Recreated: return kTextMapRecreated;
  }
  return "";
}

std::vector<std::string> DamageMapLines(const DamageMap& map, bool colours) {
  if (map.Empty()) return {};
  int sectors = map.SectorsPerTrack();
  int sideColumns = sectors + 2;
  std::vector<std::string> lines;
  lines.push_back(kTextMapGroup);
  lines.push_back(PadToColumns(kTextMapTracks, kTrackColumns) + PadToColumns(FormatText(kTextMapHead, {0}), sideColumns) +
                  FormatText(kTextMapHead, {1}));
  std::string ruler = Ruler(sectors);
  std::string rulers = std::string(kTrackColumns, ' ') + ruler + kHeadGap + ruler;
  rulers.erase(rulers.find_last_not_of(' ') + 1);
  lines.push_back(rulers);
  for (int track = 0; track < map.Tracks(); ++track) {
    std::string line = FormatText("%4d  ", {track});
    AppendSide(line, map, track, 0, colours);
    line += kHeadGap;
    AppendSide(line, map, track, 1, colours);
    lines.push_back(line);
  }
  std::string legend = kTextMapLegend;
  for (SectorState state : map.LegendStates()) {
    legend += "  ";
    if (colours) legend += ColourOf(state);
    legend += SymbolOf(state);
    if (colours) legend += kColourOff;
    legend += ' ';
    legend += SectorStateCaption(state);
  }
  lines.push_back(legend);
  return lines;
}
