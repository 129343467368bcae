#include "app/BadSectorReport.h"

#include <algorithm>

#include "base/Format.h"
#include "base/Texts.h"

namespace {

BadSectorRow RowOf(uint32_t offset) {
  // The parity of the sector index decides, not the head the sector is on.
  bool isHigh = offset % 1024 == 0;
  return {FormatText(kTextReportSector, {offset / 512 + 1, offset, offset / 1024.0}), offset,
          isHigh ? kTextReportHigh : kTextReportLow};
}

}  // namespace

BadSectorReportModel BuildBadSectorReport(const std::vector<uint32_t>& offsets, const FloppyGeometry& geometry,
                                          const std::vector<RecoveredSector>& recovered, SectorState damage) {
  BadSectorReportModel report;
  report.map = BuildDamageMap(offsets, geometry, recovered, damage);
  int high = 0;
  int low = 0;
  for (uint32_t offset : offsets) {
    report.rows.push_back(RowOf(offset));
    (offset % 1024 == 0 ? high : low) += 1;
  }
  for (const RecoveredSector& sector : recovered) {
    BadSectorRow row = RowOf(sector.offset);
    row.sectorText = FormatText(kTextReportRecovered, {row.sectorText, sector.pass});
    report.rows.push_back(row);
  }
  std::stable_sort(report.rows.begin(), report.rows.end(),
                   [](const BadSectorRow& a, const BadSectorRow& b) { return a.sortKey < b.sortKey; });

  long long count = static_cast<long long>(offsets.size());
  long long sectors = geometry.TotalSectors();
  double share = sectors > 0 ? static_cast<double>(count) * 100.0 / static_cast<double>(sectors) : 0.0;
  report.total = FormatText(kTextReportTotal, {count, sectors, share});
  report.size = FormatText(kTextReportSize, {static_cast<double>(count) * 0.5, static_cast<double>(geometry.SizeKb())});
  if (high + low == 0) {
    report.distribution = kTextReportNoDistribution;
  } else {
    report.distribution =
        FormatText(kTextReportDistribution, {high, high * 100 / (high + low), low, low * 100 / (high + low)});
  }
  return report;
}
