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

const char* NameFaultText(NameFault fault) {
  switch (fault) {
    case NameFault::None: return "";
    case NameFault::Empty: return TextOf(kTextNameFaultEmpty);
    case NameFault::ForbiddenCharacter: return TextOf(kTextNameFaultForbidden);
    case NameFault::ControlCharacter: return TextOf(kTextNameFaultControl);
    case NameFault::TooLong: return TextOf(kTextNameFaultTooLong);
    case NameFault::TrailingDotOrSpace: return TextOf(kTextNameFaultTrailing);
    case NameFault::NotUtf8: return TextOf(kTextNameFaultNotUtf8);
  }
  return "";
}

void ShowChangeRefused(IMessageBoxes& boxes, FatChange change, const std::string& path, bool folder) {
  switch (change) {
    case FatChange::Done: break;
    case FatChange::NotFound: ShowError(boxes, kTextChangeNotFound, {path}); break;
    case FatChange::NotAFolder: ShowError(boxes, kTextChangeNotAFolder, {path}); break;
    case FatChange::Exists: ShowError(boxes, kTextChangeExists, {path}); break;
    case FatChange::KindDiffers:
      ShowError(boxes, folder ? kTextChangeFileThere : kTextChangeFolderThere, {path});
      break;
    case FatChange::RootFull: ShowError(boxes, kTextChangeRootFull); break;
    case FatChange::BadName: {
      const std::size_t slash = path.find_last_of('/');
      const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
      ShowError(boxes, kTextChangeBadName, {path, NameFaultText(CheckLongName(name))});
      break;
    }
    case FatChange::Unreadable: ShowError(boxes, kTextCannotOpen, {path}); break;
  }
}
