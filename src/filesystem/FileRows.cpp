#include "filesystem/FileRows.h"

#include "base/Format.h"
#include "base/Texts.h"
#include "filesystem/FileTexts.h"

namespace {

std::string StateShown(const FatEntry& entry) {
  switch (entry.state) {
    case EntryState::Ok: return TextOf(kTextFileStateOk);
    case EntryState::Damaged: return FormatText(TextOf(kTextFileStateDamaged), {entry.badSectors, entry.sectors});
    case EntryState::Unknown: return TextOf(kTextFileStateUnknown);
  }
  return {};
}

// Damaged files first when the state column sorts descending, the most damaged among them first.
int64_t StateKey(const FatEntry& entry) {
  switch (entry.state) {
    case EntryState::Ok: return 0;
    case EntryState::Unknown: return 1;
    case EntryState::Damaged: return 2 + entry.badSectors;
  }
  return 0;
}

}  // namespace

std::string GroupedDigits(uint64_t value) {
  std::string digits = std::to_string(value), grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

FileRow DescribeEntry(const FatVolume& volume, int entry, bool pathAsName) {
  const FatEntry& e = volume.Entries()[static_cast<std::size_t>(entry)];
  const LocalTime& t = e.modified;
  FileRow row;
  row.entry = entry;
  row.name = pathAsName ? e.path : e.name;
  row.nameKey = (e.folder ? "0" : "1") + row.name;
  row.size = e.folder ? "" : GroupedDigits(e.size);
  row.sizeKey = e.folder ? -1 : static_cast<int64_t>(e.size);
  row.date = FormatText("%04d-%02d-%02d %02d:%02d:%02d", {t.year, t.month, t.day, t.hour, t.minute, t.second});
  row.dateKey = ((((t.year * 100LL + t.month) * 100 + t.day) * 100 + t.hour) * 100 + t.minute) * 100 + t.second;
  row.state = StateShown(e);
  row.stateKey = StateKey(e);
  row.damaged = e.state != EntryState::Ok;
  return row;
}

std::vector<FileRow> FolderRows(const FatVolume& volume, int folder) {
  std::vector<FileRow> rows;
  const std::vector<FatEntry>& entries = volume.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].parent == folder) rows.push_back(DescribeEntry(volume, static_cast<int>(i)));
  }
  return rows;
}

std::vector<FileRow> DamagedRows(const FatVolume& volume) {
  std::vector<FileRow> rows;
  const std::vector<FatEntry>& entries = volume.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].state != EntryState::Ok) rows.push_back(DescribeEntry(volume, static_cast<int>(i), true));
  }
  return rows;
}

std::string VolumeSummary(const FatVolume& volume) {
  int files = 0, folders = 0, damaged = 0, unknown = 0;
  for (const FatEntry& entry : volume.Entries()) {
    ++(entry.folder ? folders : files);
    damaged += entry.state == EntryState::Damaged;
    unknown += entry.state == EntryState::Unknown;
  }
  std::string summary = FormatText(TextOf(kTextFilesSummary), {files, folders, damaged, unknown});
  if (volume.Label().empty()) return summary;
  return FormatText(kTextFilesLabel, {volume.Label()}) + "    " + summary;
}

std::string AreasSummary(const FatVolume& volume) {
  std::string areas;
  for (const AreaHit& hit : volume.AreasHit()) areas += (areas.empty() ? "" : "；") + AreaHitText(hit);
  std::string summary = areas.empty() ? TextOf(kTextFilesNoBadSectors) : FormatText(TextOf(kTextFilesBadSectorsIn), {areas});
  if (!volume.Findings().empty()) {
    summary += "    " + FormatText(TextOf(kTextFilesFaults), {static_cast<int64_t>(volume.Findings().size())});
  }
  return summary;
}

