#pragma once
// What the bad-sector report shows: one row per bad sector and three statistics lines. The window only
// displays this; it changes nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "base/OperationProgress.h"
#include "app/DamageMap.h"
#include "app/DamagedFiles.h"

struct BadSectorRow {
  std::string sectorText;  // "%d / %d 字节 (%.1f kB)"
  uint32_t sortKey;        // the byte offset
  std::string sideText;    // "高" or "低"
};

struct BadSectorReportModel {
  std::vector<BadSectorRow> rows;  // sorted by offset, ascending
  std::string total;               // "%d / %d (%.2f%%)"
  std::string size;                // "%.1fkB / %.0fkB"
  std::string distribution;        // "%d 高 (%d%%) - %d 低 (%d%%)"
  DamageMap map;
  std::optional<DamagedFiles> files;  // when the image holds a FAT volume
  std::vector<std::string> account;   // what decoding a flux capture saw (app/CaptureAccount.h)
};

// geometry is the image record's (after a read the disk's, after a write the image's). Sectors a retry pass
// recovered are listed among the rows, each saying on which pass; the statistics count the bad ones only.
// damage says what the offsets are on the map: Bad after a read, Recreated after a write.
BadSectorReportModel BuildBadSectorReport(const std::vector<uint32_t>& offsets, const FloppyGeometry& geometry,
                                          const std::vector<RecoveredSector>& recovered = {},
                                          SectorState damage = SectorState::Bad);
