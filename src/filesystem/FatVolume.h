#pragma once
// The files on a floppy image's FAT12 or FAT16 volume, read only, and what the image's bad sectors did to
// them. The image is untrusted: every field is checked, every chain and folder walk is bounded (loops,
// cross-links, folder cycles, clusters out of range, a boot sector that lies end in a finding, never in a
// crash or an endless walk).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/DiskSectors.h"
#include "base/File.h"

// FAT attribute bits.
inline constexpr uint8_t kFatReadOnly = 0x01;
inline constexpr uint8_t kFatHidden = 0x02;
inline constexpr uint8_t kFatSystem = 0x04;
inline constexpr uint8_t kFatVolumeLabel = 0x08;
inline constexpr uint8_t kFatFolder = 0x10;
inline constexpr uint8_t kFatArchive = 0x20;

enum class EntryState {
  Ok,       // none of its sectors is bad
  Damaged,  // badSectors of its sectors are bad
  Unknown,  // its chain runs through a FAT sector that is bad in every copy: where it lies is not known
};

struct FatEntry {
  std::string path;  // from the root, '/' between names; a folder's ends with '/'
  std::string name;  // its long name, else its short name (UTF-8)
  std::string shortName;  // its short name ("LONGNA~1.TEX"), also when it has a long one
  uint64_t size = 0;  // bytes; 0 for a folder
  LocalTime modified;  // each field brought into its range (see FatFault::ImpossibleTime)
  uint8_t attributes = 0;
  bool folder = false;
  EntryState state = EntryState::Ok;
  int64_t badSectors = 0;
  int64_t sectors = 0;  // the sectors of its clusters
  int parent = -1;      // index of its folder in FatVolume::Entries(), -1 in the root
  uint32_t firstCluster = 0;
};

// Where bad sectors lie, in the order a summary names them.
enum class DiskArea { BootSector, FirstFat, SecondFat, RootFolder, Folders, Files, FreeSpace, LostSpace, Outside };
struct AreaHit {
  DiskArea area;
  int64_t badSectors;
};

// What the walk found wrong in the volume's structure.
enum class FatFault {
  BootSectorGuessed,      // the boot sector is bad: the usual layout of a disk of the image's size is read
  VolumeLargerThanImage,  // the boot sector claims more sectors than the image holds
  FatTooSmall,            // the boot sector claims more clusters than its FAT can hold
  FatCopiesDiffer,        // the two FAT copies differ where both are readable (the first is used)
  ChainLoop,              // the chain returns to one of its own clusters
  CrossLinked,            // the chain runs into a cluster of another entry (a folder's contents are still listed)
  FolderCycle,            // a folder whose clusters are those of one of the folders it lies in
  ChainShort,             // the chain ends before the size is reached
  ChainLong,              // the chain goes on past the size
  ClusterOutOfRange,      // the chain names a cluster the volume does not have
  BadClusterInChain,      // the chain runs into a cluster marked bad in the FAT
  TooManyEntries,         // the folders (cross-linked ones read again) hold more entries than the volume has room for
  ImpossibleTime,         // a modification time no calendar has (month 13, 25:61:62): the nearest possible one is used
};
struct FatFinding {
  FatFault fault;
  std::string path;    // the entry concerned; empty for the volume
  std::string detail = {};  // ImpossibleTime: the time as the entry holds it
};

enum class FatOpenError {
  None,
  BootSectorBad,  // sector 0 is a bad sector, and no usual layout of a disk of the image's size fits its FATs
  NoFatVolume,    // neither a usable boot sector nor a known media byte of an old disk
};

class FatVolume {
 public:
  // Reads the volume on disk: nullopt (and why) when there is none to read.
  static std::optional<FatVolume> Read(DiskSectors disk, FatOpenError* why = nullptr);

  bool Fat16() const { return fat16_; }
  const std::string& Label() const { return label_; }
  // Every entry but the volume label and the deleted ones, each folder before its contents.
  const std::vector<FatEntry>& Entries() const { return entries_; }
  // Bad sectors by area, areas without any left out.
  const std::vector<AreaHit>& AreasHit() const { return areas_; }
  const std::vector<FatFinding>& Findings() const { return findings_; }
  // True when no entry is damaged or unknown, no bad sector lies outside free space and the structure is sound.
  bool Intact() const;

  // The bytes of a file as the disk holds them: size bytes, with a marker block in place of every bad sector
  // and of whatever the chain cannot give (a short chain, an unknown FAT entry). Empty for a folder.
  std::vector<uint8_t> FileBytes(const FatEntry& file) const;

  // The sectors it was read from, handed back; the volume has none afterwards.
  DiskSectors TakeDisk() && { return std::move(disk_); }

 private:
  friend class FatWalk;
  DiskSectors disk_;
  bool fat16_ = false;
  int64_t sectorsPerCluster_ = 1;
  int64_t dataStart_ = 0;
  uint32_t clusterCount_ = 0;
  std::vector<uint32_t> next_;     // FAT entry per cluster
  std::vector<bool> nextKnown_;    // false where the entry's FAT sector is bad in every copy
  std::string label_;
  std::vector<FatEntry> entries_;
  std::vector<AreaHit> areas_;
  std::vector<FatFinding> findings_;
};
