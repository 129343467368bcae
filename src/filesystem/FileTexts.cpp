#include "filesystem/FileTexts.h"

#include "base/Format.h"
#include "base/Texts.h"

std::string StateText(const FatEntry& entry) {
  switch (entry.state) {
    case EntryState::Ok: return kTextFileOk;
    case EntryState::Damaged: return FormatText(kTextFileDamaged, {entry.badSectors, entry.sectors});
    case EntryState::Unknown: return kTextFileUnknown;
  }
  return {};
}

const char* AreaName(DiskArea area) {
  switch (area) {
    case DiskArea::BootSector: return kTextAreaBootSector;
    case DiskArea::FirstFat: return kTextAreaFirstFat;
    case DiskArea::SecondFat: return kTextAreaSecondFat;
    case DiskArea::RootFolder: return kTextAreaRootFolder;
    case DiskArea::Folders: return kTextAreaFolders;
    case DiskArea::Files: return kTextAreaFiles;
    case DiskArea::FreeSpace: return kTextAreaFreeSpace;
    case DiskArea::LostSpace: return kTextAreaLostSpace;
    case DiskArea::Outside: return kTextAreaOutside;
  }
  return "";
}

std::string FindingText(const FatFinding& finding) {
  const std::string path = finding.path.empty() ? "/" : finding.path;
  switch (finding.fault) {
    case FatFault::BootSectorGuessed: return kTextFaultBootSectorGuessed;
    case FatFault::VolumeLargerThanImage: return kTextFaultVolumeLargerThanImage;
    case FatFault::FatTooSmall: return kTextFaultFatTooSmall;
    case FatFault::FatCopiesDiffer: return kTextFaultFatCopiesDiffer;
    case FatFault::ChainLoop: return FormatText(kTextFaultChainLoop, {path});
    case FatFault::CrossLinked: return FormatText(kTextFaultCrossLinked, {path});
    case FatFault::FolderCycle: return FormatText(kTextFaultFolderCycle, {path});
    case FatFault::ChainShort: return FormatText(kTextFaultChainShort, {path});
    case FatFault::ChainLong: return FormatText(kTextFaultChainLong, {path});
    case FatFault::ClusterOutOfRange: return FormatText(kTextFaultClusterOutOfRange, {path});
    case FatFault::BadClusterInChain: return FormatText(kTextFaultBadClusterInChain, {path});
    case FatFault::TooManyEntries: return FormatText(kTextFaultTooManyEntries, {path});
    case FatFault::ImpossibleTime: return FormatText(kTextFaultImpossibleTime, {path, finding.detail});
  }
  return {};
}

std::string AreaHitText(const AreaHit& hit) { return FormatText(kTextAreaHit, {AreaName(hit.area), hit.badSectors}); }
