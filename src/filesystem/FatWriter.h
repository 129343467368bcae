#pragma once
// Changes to the FAT12 or FAT16 volume of a disk held in memory: files and folders added under long names
// (with the short names Windows makes), files and folders removed, the label set. A file's clusters are one
// run where the volume has one; subfolders grow as they fill (the root folder cannot); both FAT copies are
// kept equal. The writer changes its own copy of the volume and gives it out only from Finish, once every
// change has found room: a change refused halfway leaves nothing that could be saved.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/File.h"
#include "filesystem/FatLayout.h"
#include "filesystem/FatNamesOut.h"
#include "filesystem/FatVolume.h"

enum class FatChange {
  Done,
  NotFound,     // a step of the path names nothing on the disk
  NotAFolder,   // a step on the way names a file
  Exists,       // the name is taken (a folder asked for where one is: the folder is given too)
  KindDiffers,  // a folder has the name where a file goes, or a file where a folder goes
  RootFull,     // the root folder has no entries left, and it cannot grow
  BadName,      // a name FAT cannot hold (CheckLongName), or a label (LabelBytes)
  Unreadable,   // the source of a file's bytes failed
};

// The bytes of a file to add, read only once there is room for them.
struct FileSource {
  uint64_t size = 0;
  // Fills exactly size bytes: false when they cannot be read.
  std::function<bool(std::span<uint8_t> into)> read;
};

struct FatSpace {
  uint64_t neededBytes = 0;  // the clusters the changes take
  uint64_t freeBytes = 0;    // the clusters free before them, and those they free
};

class FatWriter {
 public:
  using Folder = int;
  static constexpr Folder kRoot = 0;

  // A writer over the volume, nullopt unless the reader finds a FAT volume there whose structure is sound; its
  // findings (a time no calendar has is harmless) go to faults.
  static std::optional<FatWriter> Open(std::vector<uint8_t> volume, std::vector<FatFinding>* faults = nullptr);

  // The folder a path names ('/' between steps, each the long or the short name in any case; "" the root).
  // With make, missing folders are made, each with modified as its time.
  FatChange FindFolder(std::string_view path, Folder* found, bool make = false, const LocalTime& modified = {});
  // A new folder name in folder; Exists with *made set when there is one.
  FatChange MakeFolder(Folder folder, std::string_view name, const LocalTime& modified, Folder* made);
  // A new file name in folder; with replace, a file of the name is replaced (never a folder).
  FatChange AddFile(Folder folder, std::string_view name, const FileSource& source, const LocalTime& modified,
                    bool replace);
  // What the path names, a folder with everything in it.
  FatChange Remove(std::string_view path);
  // The volume's label in the root folder and the boot sector; an empty text removes it.
  FatChange SetLabel(std::string_view text, const LocalTime& now);

  uint64_t ClusterBytes() const { return clusterBytes_; }
  uint64_t FreeBytes() const { return freeClusters_ * clusterBytes_; }
  // What the changes need when it is more than the volume has.
  std::optional<FatSpace> Shortfall() const;
  // The volume with every change, the writer spent; nullopt when they need more room than it has.
  std::optional<std::vector<uint8_t>> Finish();

 private:
  struct FolderState {
    uint32_t firstCluster = 0;  // 0: the root, or a new folder that found no room
    std::vector<uint32_t> clusters;
    std::vector<uint8_t> slots;  // the entries, 32 bytes each
    std::unordered_map<std::string, std::size_t> names;  // folded long and short names -> the short entry's slot
    std::set<ShortNameBytes> shortNames;
    std::map<std::size_t, Folder> subfolders;  // those opened or made, by their entry's slot
    bool changed = false;
    bool removed = false;
  };

  FatWriter() = default;
  FolderState& State(Folder folder) { return folders_[static_cast<std::size_t>(folder)]; }
  uint8_t* Entry(Folder folder, std::size_t slot) { return State(folder).slots.data() + slot * kFatEntryBytes; }
  uint8_t* ClusterData(uint32_t cluster);
  void Index(Folder folder);
  std::optional<std::size_t> Lookup(Folder folder, std::string_view name);
  Folder Subfolder(Folder parent, std::size_t slot);
  std::vector<uint32_t> Chain(uint32_t first) const;
  std::vector<uint32_t> Allocate(uint64_t count, uint32_t after);
  void Free(uint32_t first);
  std::optional<std::size_t> Room(Folder folder, std::size_t count);
  FatChange PutEntry(Folder folder, std::string_view name, uint8_t attributes, uint32_t cluster, uint32_t size,
                     const LocalTime& modified, std::size_t* slot);
  void ForgetEntry(Folder folder, std::size_t slot);
  void RemoveFolderContents(Folder folder);

  std::vector<uint8_t> volume_;
  FatLayout layout_;
  bool fat16_ = false;
  uint32_t clusterCount_ = 0;
  uint64_t clusterBytes_ = 0;
  std::vector<uint32_t> fat_;  // an entry per cluster, 0 and 1 included
  uint64_t freeClusters_ = 0;
  uint64_t freeAtStart_ = 0;
  uint64_t taken_ = 0;      // clusters the changes took
  uint64_t released_ = 0;   // clusters the changes freed
  uint64_t shortfall_ = 0;  // clusters asked for that were not there
  std::deque<FolderState> folders_;  // a deque: references to a folder's state outlive new folders
};
