#pragma once
// The picture of the damage in the bad-sector report: a state for every sector of both heads, and its text
// form for the terminal (one line per track, both heads side by side, a legend line).

#include <cstdint>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "base/OperationProgress.h"

enum class SectorState : uint8_t { Good, Bad, Recovered, Recreated };

class DamageMap {
 public:
  DamageMap() = default;
  // damage is what the report's offsets mean: Bad after a read, Recreated after a write. A geometry no
  // floppy has (no tracks, more than kMaxSide) gives an empty map.
  DamageMap(const FloppyGeometry& geometry, SectorState damage);

  static constexpr int kMaxSide = 255;

  bool Empty() const { return cells_.empty(); }
  int Tracks() const { return tracks_; }
  int SectorsPerTrack() const { return sectorsPerTrack_; }
  SectorState Damage() const { return damage_; }
  // sector counts from 0; outside the disk everything is Good.
  SectorState At(int track, int head, int sector) const;
  // An offset beyond the disk is left out: the map shows only sectors the disk has.
  void Mark(uint32_t offset, SectorState state);
  // The states the legend explains, in legend order.
  std::vector<SectorState> LegendStates() const;

 private:
  int tracks_ = 0;
  int sectorsPerTrack_ = 0;
  SectorState damage_ = SectorState::Bad;
  std::vector<SectorState> cells_;  // disk order
};

// offsets are the report's (bad after a read, recreated after a write); recovered are the retries' finds.
DamageMap BuildDamageMap(const std::vector<uint32_t>& offsets, const FloppyGeometry& geometry,
                         const std::vector<RecoveredSector>& recovered, SectorState damage);

// The terminal's map: a caption, a ruler of sector numbers, one line per track and the legend. colours adds
// ANSI colours to the same characters (only for a terminal: a file or pipe gets plain characters).
std::vector<std::string> DamageMapLines(const DamageMap& map, bool colours);

// The caption of a state in the legend.
const char* SectorStateCaption(SectorState state);
