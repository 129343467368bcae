#include "filesystem/FatVolume.h"

#include <algorithm>
#include <utility>

#include "base/CodePage.h"
#include "base/Geometry.h"
#include "base/LittleEndian.h"
#include "filesystem/FatNames.h"
#include "base/BadSectorMarker.h"

namespace {

constexpr uint32_t kFat12Limit = 4085;   // fewer clusters than this: FAT12
constexpr uint32_t kFat16Limit = 65525;  // from here on the volume would be FAT32, never a floppy's
constexpr int kDeepestFolder = 32;
// A folder path longer than this is no disk's: DOS allows 64 characters, Windows 260.
constexpr std::size_t kLongestFolderPath = 512;

struct Layout {
  int64_t reserved = 1;
  int64_t fats = 2;
  int64_t rootEntries = 0;
  int64_t totalSectors = 0;
  int64_t sectorsPerFat = 0;
  int64_t sectorsPerCluster = 1;
};

bool PowerOfTwo(int64_t value) { return value > 0 && (value & (value - 1)) == 0; }

std::optional<Layout> LayoutOfBootSector(const uint8_t* boot) {
  if ((boot[0] != 0xEB && boot[0] != 0xE9) || GetLe16(boot + 11) != kSectorBytes) return std::nullopt;
  Layout layout;
  layout.sectorsPerCluster = boot[13];
  layout.reserved = GetLe16(boot + 14);
  layout.fats = boot[16];
  layout.rootEntries = GetLe16(boot + 17);
  layout.totalSectors = GetLe16(boot + 19) != 0 ? GetLe16(boot + 19) : GetLe32(boot + 32);
  layout.sectorsPerFat = GetLe16(boot + 22);
  if (!PowerOfTwo(layout.sectorsPerCluster) || layout.reserved < 1 || (layout.fats != 1 && layout.fats != 2) ||
      layout.rootEntries < 1 || layout.sectorsPerFat < 1) {
    return std::nullopt;
  }
  return layout;
}

// The first DOS disks had no parameters in their boot sector: the FAT's first byte, the media byte, tells
// which of the four single- and double-sided 5.25" formats the disk has.
std::optional<Layout> LayoutOfMediaByte(const uint8_t* fat) {
  if (fat[1] != 0xFF || fat[2] != 0xFF) return std::nullopt;
  switch (fat[0]) {
    case 0xFE: return Layout{1, 2, 64, 320, 1, 1};    // 160 KB
    case 0xFC: return Layout{1, 2, 64, 360, 2, 1};    // 180 KB
    case 0xFF: return Layout{1, 2, 112, 640, 1, 2};   // 320 KB
    case 0xFD: return Layout{1, 2, 112, 720, 2, 2};   // 360 KB
    default: return std::nullopt;
  }
}

// A disk whose boot sector is bad still has its FATs. The usual layouts of a disk of its size (DOS's, and
// this program's own for 1.68 MB) are tried; one is taken when every readable FAT copy begins where it says,
// with its media byte.
template <typename IsBad>
std::optional<Layout> LayoutOfStandardDisk(const std::vector<uint8_t>& bytes, IsBad bad) {
  struct Standard {
    int64_t total, sectorsPerCluster, rootEntries, sectorsPerFat;
    uint8_t media;
  };
  static constexpr Standard kStandard[] = {{720, 2, 112, 2, 0xFD},  {1440, 2, 112, 3, 0xF9},  {1600, 2, 112, 3, 0xF9},
                                           {1600, 2, 224, 3, 0xF0}, {2400, 1, 224, 7, 0xF9},  {2880, 1, 224, 9, 0xF0},
                                           {3360, 1, 224, 10, 0xF0}, {3360, 4, 16, 3, 0xF0}};
  const int64_t sectors = static_cast<int64_t>(bytes.size() / kSectorBytes);
  for (const Standard& standard : kStandard) {
    if (standard.total != sectors) continue;
    int found = 0, other = 0;
    for (int64_t start : {int64_t{1}, 1 + standard.sectorsPerFat}) {
      if (bad(start)) continue;
      const uint8_t* fat = bytes.data() + start * kSectorBytes;
      (fat[0] == standard.media && fat[1] == 0xFF && fat[2] == 0xFF ? found : other) += 1;
    }
    if (found > 0 && other == 0) {
      return Layout{1, 2, standard.rootEntries, standard.total, standard.sectorsPerFat, standard.sectorsPerCluster};
    }
  }
  return std::nullopt;
}

LocalTime TimeOfEntry(const uint8_t* entry) {
  const uint16_t time = GetLe16(entry + 22);
  const uint16_t date = GetLe16(entry + 24);
  LocalTime t;
  t.year = 1980 + (date >> 9);
  t.month = (date >> 5) & 0x0F;
  t.day = date & 0x1F;
  t.hour = time >> 11;
  t.minute = (time >> 5) & 0x3F;
  t.second = (time & 0x1F) * 2;
  return t;
}

// A name as one step of a path: the separator and NUL cannot be part of it.
std::string PathStep(const std::string& name) {
  std::string step = name;
  std::replace(step.begin(), step.end(), '/', '_');
  std::replace(step.begin(), step.end(), '\0', '_');
  return step;
}

}  // namespace

// The walk over a volume's folders and chains, filling the volume's entries, findings and areas.
class FatWalk {
 public:
  explicit FatWalk(FatVolume& volume)
      : v_(volume), owner_(volume.clusterCount_ + 2, -1), stamp_(volume.clusterCount_ + 2, 0) {}

  enum class End { Eof, Needed, Unknown, Free, BadMark, OutOfRange, Loop, Owned };
  struct Chain {
    std::vector<uint32_t> clusters;
    End end = End::Eof;
  };

  // The clusters from first on: at most needed of them (0: up to the end), stopping at a cluster that owners
  // gives to an entry already (when owners is given).
  static Chain WalkChain(const FatVolume& v, uint32_t first, uint64_t needed, std::vector<uint32_t>& stamp,
                         uint32_t walk, const std::vector<int>* owners) {
    Chain chain;
    const uint32_t last = v.clusterCount_ + 1;
    const uint32_t eof = v.fat16_ ? 0xFFF8 : 0xFF8;
    const uint32_t badMark = v.fat16_ ? 0xFFF7 : 0xFF7;
    uint32_t cluster = first;
    while (true) {
      if (cluster < 2 || cluster > last) return chain.end = End::OutOfRange, chain;
      if (stamp[cluster] == walk) return chain.end = End::Loop, chain;
      if (owners && (*owners)[cluster] >= 0) return chain.end = End::Owned, chain;
      stamp[cluster] = walk;
      chain.clusters.push_back(cluster);
      if (needed != 0 && chain.clusters.size() >= needed) {
        const bool more = v.nextKnown_[cluster] && v.next_[cluster] < eof;
        chain.end = more ? End::Needed : End::Eof;
        return chain;
      }
      if (!v.nextKnown_[cluster]) return chain.end = End::Unknown, chain;
      const uint32_t next = v.next_[cluster];
      if (next >= eof) return chain.end = End::Eof, chain;
      if (next == badMark) return chain.end = End::BadMark, chain;
      if (next == 0) return chain.end = End::Free, chain;
      cluster = next;
    }
  }

  void Run() {
    ReadFolder(-1, 0);
    CountAreas();
    OrderFolderFirst();
  }

 private:
  void Note(FatFault fault, const std::string& path) { v_.findings_.push_back({fault, path}); }

  bool SectorBad(int64_t sector) const {
    return sector >= 0 && static_cast<std::size_t>(sector) < v_.disk_.bad.size() && v_.disk_.bad[sector];
  }

  // Walks an entry's chain, takes its clusters for it and counts its bad sectors.
  void Claim(int index) {
    FatEntry& entry = v_.entries_[index];
    const uint64_t clusterBytes = static_cast<uint64_t>(v_.sectorsPerCluster_) * kSectorBytes;
    const uint64_t needed = entry.folder ? 0 : (entry.size + clusterBytes - 1) / clusterBytes;
    if (!entry.folder && needed == 0) return;
    Chain chain = WalkChain(v_, entry.firstCluster, needed, stamp_, ++walk_, &owner_);
    switch (chain.end) {
      case End::Eof:
        if (!entry.folder && chain.clusters.size() < needed) Note(FatFault::ChainShort, entry.path);
        break;
      case End::Free: Note(FatFault::ChainShort, entry.path); break;
      case End::Needed: Note(FatFault::ChainLong, entry.path); break;
      case End::Unknown: entry.state = EntryState::Unknown; break;
      case End::BadMark: Note(FatFault::BadClusterInChain, entry.path); break;
      case End::OutOfRange: Note(FatFault::ClusterOutOfRange, entry.path); break;
      case End::Loop: Note(FatFault::ChainLoop, entry.path); break;
      case End::Owned: {
        // An empty chain stopped at its first cluster, which the walk found in range.
        const bool cycle = entry.folder && chain.clusters.empty() && v_.entries_[owner_[entry.firstCluster]].folder;
        Note(cycle ? FatFault::FolderCycle : FatFault::CrossLinked, entry.path);
        break;
      }
    }
    for (uint32_t cluster : chain.clusters) {
      owner_[cluster] = index;
      const int64_t first = v_.dataStart_ + (cluster - 2) * v_.sectorsPerCluster_;
      for (int64_t s = first; s < first + v_.sectorsPerCluster_; ++s) {
        ++entry.sectors;
        if (SectorBad(s)) ++entry.badSectors;
      }
    }
    if (entry.state != EntryState::Unknown && entry.badSectors > 0) entry.state = EntryState::Damaged;
    if (entry.folder) folderClusters_ = std::move(chain.clusters);
  }

  // The sectors of a folder, in order: the root's fixed area or the clusters of a subfolder.
  std::vector<int64_t> FolderSectors(int index) const {
    std::vector<int64_t> sectors;
    if (index < 0) {
      for (int64_t s = v_.dataStart_ - rootSectors_; s < v_.dataStart_; ++s) sectors.push_back(s);
      return sectors;
    }
    for (uint32_t cluster : folderClusters_) {
      const int64_t first = v_.dataStart_ + (cluster - 2) * v_.sectorsPerCluster_;
      for (int64_t s = first; s < first + v_.sectorsPerCluster_; ++s) sectors.push_back(s);
    }
    return sectors;
  }

  void ReadFolder(int index, int depth) {
    const std::string prefix = index < 0 ? std::string() : v_.entries_[index].path;
    LongNameCollector longName;
    std::vector<int> subfolders;
    for (int64_t sector : FolderSectors(index)) {
      if (SectorBad(sector)) {
        longName.Reset();
        continue;
      }
      const uint8_t* bytes = v_.disk_.bytes.data() + sector * kSectorBytes;
      bool ended = false;
      for (std::size_t at = 0; at < kSectorBytes && !ended; at += kFatEntryBytes) {
        const uint8_t* e = bytes + at;
        const uint8_t attributes = e[11];
        if (e[0] == 0x00) {
          ended = true;
        } else if (e[0] == 0xE5) {
          longName.Reset();
        } else if ((attributes & 0x3F) == 0x0F) {
          longName.Add(e);
        } else if (attributes & kFatVolumeLabel) {
          longName.Reset();
          if (index < 0 && v_.label_.empty()) {
            std::string label(reinterpret_cast<const char*>(e), 11);
            label.erase(label.find_last_not_of(' ') + 1);
            v_.label_ = FromSystemCodePage(label);
          }
        } else if (e[0] == '.' && (e[1] == ' ' || e[1] == '.')) {
          longName.Reset();  // the folder itself and its parent
        } else {
          FatEntry entry;
          entry.name = longName.TakeFor(e);
          if (entry.name.empty()) entry.name = ShortNameOf(e);
          entry.folder = (attributes & kFatFolder) != 0;
          entry.attributes = attributes;
          entry.path = prefix + PathStep(entry.name) + (entry.folder ? "/" : "");
          entry.size = entry.folder ? 0 : GetLe32(e + 28);
          entry.modified = TimeOfEntry(e);
          entry.parent = index;
          entry.firstCluster = GetLe16(e + 26);
          v_.entries_.push_back(std::move(entry));
          const int added = static_cast<int>(v_.entries_.size()) - 1;
          if (v_.entries_[added].folder) {
            subfolders.push_back(added);
          } else {
            Claim(added);
          }
        }
      }
      if (ended) break;
    }
    // Contents follow their folder: later siblings move behind them.
    for (int folder : subfolders) {
      Claim(folder);
      if (depth + 1 >= kDeepestFolder || v_.entries_[folder].path.size() > kLongestFolderPath) {
        Note(FatFault::TooDeep, v_.entries_[folder].path);
        continue;
      }
      ReadFolder(folder, depth + 1);
    }
  }

  // Entries are gathered folder by folder; the listing shows each folder's contents right behind it.
  void OrderFolderFirst() {
    const std::size_t count = v_.entries_.size();
    std::vector<std::vector<int>> children(count + 1);
    for (std::size_t i = 0; i < count; ++i) children[v_.entries_[i].parent + 1].push_back(static_cast<int>(i));
    std::vector<int> order;
    std::vector<int> newIndex(count, -1);
    std::vector<std::pair<int, std::size_t>> stack{{-1, 0}};
    while (!stack.empty()) {
      auto& [folder, next] = stack.back();
      const std::vector<int>& list = children[folder + 1];
      if (next == list.size()) {
        stack.pop_back();
        continue;
      }
      const int child = list[next++];
      newIndex[child] = static_cast<int>(order.size());
      order.push_back(child);
      stack.push_back({child, 0});
    }
    std::vector<FatEntry> ordered;
    ordered.reserve(order.size());
    for (int old : order) {
      ordered.push_back(std::move(v_.entries_[old]));
      if (ordered.back().parent >= 0) ordered.back().parent = newIndex[ordered.back().parent];
    }
    v_.entries_ = std::move(ordered);
  }

  DiskArea AreaOf(int64_t sector) const {
    if (sector < fatStart_) return DiskArea::BootSector;
    if (sector < fatStart_ + sectorsPerFat_) return DiskArea::FirstFat;
    if (sector < v_.dataStart_ - rootSectors_) return DiskArea::SecondFat;
    if (sector < v_.dataStart_) return DiskArea::RootFolder;
    const int64_t cluster = (sector - v_.dataStart_) / v_.sectorsPerCluster_ + 2;
    if (cluster > int64_t{v_.clusterCount_} + 1) return DiskArea::Outside;
    const int owner = owner_[cluster];
    if (owner >= 0) return v_.entries_[owner].folder ? DiskArea::Folders : DiskArea::Files;
    return v_.nextKnown_[cluster] && v_.next_[cluster] == 0 ? DiskArea::FreeSpace : DiskArea::LostSpace;
  }

  void CountAreas() {
    int64_t counts[static_cast<int>(DiskArea::Outside) + 1] = {};
    const std::size_t sectors = std::min(v_.disk_.bad.size(), v_.disk_.bytes.size() / kSectorBytes);
    for (std::size_t s = 0; s < sectors; ++s) {
      if (v_.disk_.bad[s]) ++counts[static_cast<int>(AreaOf(static_cast<int64_t>(s)))];
    }
    for (int area = 0; area <= static_cast<int>(DiskArea::Outside); ++area) {
      if (counts[area] > 0) v_.areas_.push_back({static_cast<DiskArea>(area), counts[area]});
    }
  }

 public:
  int64_t fatStart_ = 0;
  int64_t sectorsPerFat_ = 0;
  int64_t rootSectors_ = 0;

 private:
  FatVolume& v_;
  std::vector<int> owner_;
  std::vector<uint32_t> stamp_;
  uint32_t walk_ = 0;
  std::vector<uint32_t> folderClusters_;
};

std::optional<FatVolume> FatVolume::Read(DiskSectors disk, FatOpenError* why) {
  auto fail = [&](FatOpenError error) -> std::optional<FatVolume> {
    if (why) *why = error;
    return std::nullopt;
  };
  if (why) *why = FatOpenError::None;
  const int64_t imageSectors = static_cast<int64_t>(disk.bytes.size() / kSectorBytes);
  auto bad = [&](int64_t sector) { return static_cast<std::size_t>(sector) < disk.bad.size() && disk.bad[sector]; };
  if (imageSectors < 2) return fail(FatOpenError::NoFatVolume);
  FatVolume volume;
  std::optional<Layout> layout;
  if (bad(0)) {
    layout = LayoutOfStandardDisk(disk.bytes, bad);
    if (!layout) return fail(FatOpenError::BootSectorBad);
    volume.findings_.push_back({FatFault::BootSectorGuessed, {}});
  } else {
    layout = LayoutOfBootSector(disk.bytes.data());
    if (!layout && !bad(1)) layout = LayoutOfMediaByte(disk.bytes.data() + kSectorBytes);
    if (!layout) return fail(FatOpenError::NoFatVolume);
  }

  const int64_t rootSectors = (layout->rootEntries * int64_t{kFatEntryBytes} + kSectorBytes - 1) / kSectorBytes;
  const int64_t dataStart = layout->reserved + layout->fats * layout->sectorsPerFat + rootSectors;
  int64_t total = layout->totalSectors;
  if (total > imageSectors) {
    volume.findings_.push_back({FatFault::VolumeLargerThanImage, {}});
    total = imageSectors;
  }
  if (dataStart >= total) return fail(FatOpenError::NoFatVolume);
  int64_t clusters = (total - dataStart) / layout->sectorsPerCluster;
  if (clusters < 1 || clusters >= kFat16Limit) return fail(FatOpenError::NoFatVolume);
  volume.fat16_ = clusters >= kFat12Limit;
  const int64_t fatCapacity = layout->sectorsPerFat * kSectorBytes * 8 / (volume.fat16_ ? 16 : 12) - 2;
  if (clusters > fatCapacity) {
    volume.findings_.push_back({FatFault::FatTooSmall, {}});
    clusters = fatCapacity;
    if (clusters < 1) return fail(FatOpenError::NoFatVolume);
  }
  volume.sectorsPerCluster_ = layout->sectorsPerCluster;
  volume.dataStart_ = dataStart;
  volume.clusterCount_ = static_cast<uint32_t>(clusters);

  // The FAT sector by sector from the first copy, or from the second where the first is bad.
  const int64_t entries = clusters + 2;
  const int64_t fatBytes = volume.fat16_ ? entries * 2 : (entries * 3 + 1) / 2;
  const int64_t fatSectors = (fatBytes + kSectorBytes - 1) / kSectorBytes;
  std::vector<uint8_t> fat(static_cast<std::size_t>(fatSectors * kSectorBytes), 0);
  std::vector<bool> fatSectorKnown(static_cast<std::size_t>(fatSectors), false);
  bool differ = false;
  for (int64_t i = 0; i < fatSectors; ++i) {
    const int64_t first = layout->reserved + i;
    const int64_t second = first + layout->sectorsPerFat;
    const bool hasSecond = layout->fats == 2;
    int64_t chosen = !bad(first) ? first : hasSecond && !bad(second) ? second : -1;
    if (chosen < 0) continue;
    const uint8_t* from = disk.bytes.data() + chosen * kSectorBytes;
    if (hasSecond && chosen == first && !bad(second) &&
        !std::equal(from, from + kSectorBytes, disk.bytes.data() + second * kSectorBytes)) {
      differ = true;
    }
    std::copy(from, from + kSectorBytes, fat.begin() + i * kSectorBytes);
    fatSectorKnown[static_cast<std::size_t>(i)] = true;
  }
  if (differ) volume.findings_.push_back({FatFault::FatCopiesDiffer, {}});
  volume.next_.resize(static_cast<std::size_t>(entries));
  volume.nextKnown_.resize(static_cast<std::size_t>(entries));
  for (int64_t c = 0; c < entries; ++c) {
    const int64_t at = volume.fat16_ ? c * 2 : c * 3 / 2;
    const uint32_t pair = GetLe16(fat.data() + at);
    volume.next_[c] = volume.fat16_ ? pair : c % 2 == 0 ? pair & 0xFFF : pair >> 4;
    volume.nextKnown_[c] = fatSectorKnown[at / kSectorBytes] && fatSectorKnown[(at + 1) / kSectorBytes];
  }

  volume.disk_ = std::move(disk);
  FatWalk walk(volume);
  walk.fatStart_ = layout->reserved;
  walk.sectorsPerFat_ = layout->sectorsPerFat;
  walk.rootSectors_ = rootSectors;
  walk.Run();
  return volume;
}

bool FatVolume::Intact() const {
  for (const FatEntry& entry : entries_) {
    if (entry.state != EntryState::Ok) return false;
  }
  for (const AreaHit& hit : areas_) {
    if (hit.area != DiskArea::FreeSpace) return false;
  }
  return findings_.empty();
}

std::vector<uint8_t> FatVolume::FileBytes(const FatEntry& file) const {
  if (file.folder) return {};
  const uint64_t clusterBytes = static_cast<uint64_t>(sectorsPerCluster_) * kSectorBytes;
  const uint64_t needed = (file.size + clusterBytes - 1) / clusterBytes;
  std::vector<uint32_t> stamp(clusterCount_ + 2, 0);
  FatWalk::Chain chain;
  if (needed > 0) chain = FatWalk::WalkChain(*this, file.firstCluster, needed, stamp, 1, nullptr);
  // Whole marker blocks first; the chain's sectors replace those it holds.
  // A size larger than the volume lies; no more than the volume holds is written.
  const uint64_t size = std::min<uint64_t>(file.size, uint64_t{clusterCount_} * clusterBytes);
  std::vector<uint8_t> bytes((size + kSectorBytes - 1) / kSectorBytes * kSectorBytes);
  for (std::size_t at = 0; at < bytes.size(); at += kSectorBytes) FillBadSectorMarker(bytes.data() + at);
  std::size_t at = 0;
  for (uint32_t cluster : chain.clusters) {
    const int64_t first = dataStart_ + (cluster - 2) * sectorsPerCluster_;
    for (int64_t s = first; s < first + sectorsPerCluster_ && at < bytes.size(); ++s, at += kSectorBytes) {
      const bool bad = static_cast<std::size_t>(s) < disk_.bad.size() && disk_.bad[s];
      if (!bad) std::copy_n(disk_.bytes.data() + s * kSectorBytes, kSectorBytes, bytes.data() + at);
    }
  }
  bytes.resize(size);
  return bytes;
}
