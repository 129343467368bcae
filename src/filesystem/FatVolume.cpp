#include "filesystem/FatVolume.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <utility>

#include "base/CodePage.h"
#include "base/Geometry.h"
#include "base/LittleEndian.h"
#include "filesystem/FatLayout.h"
#include "filesystem/FatNames.h"
#include "base/BadSectorMarker.h"

namespace {

constexpr uint32_t kFat12Limit = 4085;   // fewer clusters than this: FAT12
constexpr uint32_t kFat16Limit = 65525;  // from here on the volume would be FAT32, never a floppy's
// Folder entries the walk looks at, per entry the image has room for: cross-linked folders are read again,
// but a crafted volume must not make that go on and on.
constexpr int64_t kReadsPerEntrySlot = 4;

// A disk whose boot sector is bad still has its FATs. The standard layouts of a disk of its size are tried;
// one is taken when every readable FAT copy begins where it says, with its media byte.
template <typename IsBad>
std::optional<FatLayout> LayoutOfStandardDisk(const std::vector<uint8_t>& bytes, IsBad bad) {
  const int64_t sectors = static_cast<int64_t>(bytes.size() / kSectorBytes);
  for (const StandardFatLayout& standard : StandardFatLayouts()) {
    const FatLayout& layout = standard.layout;
    if (layout.totalSectors != sectors) continue;
    int found = 0, other = 0;
    for (int64_t start : {layout.reserved, layout.reserved + layout.sectorsPerFat}) {
      if (bad(start)) continue;
      const uint8_t* fat = bytes.data() + start * kSectorBytes;
      (fat[0] == layout.media && fat[1] == 0xFF && fat[2] == 0xFF ? found : other) += 1;
    }
    if (found > 0 && other == 0) return layout;
  }
  return std::nullopt;
}

int DaysIn(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// The entry's modification time with each field brought into its range, so that the listing and the
// extracted file show the same time; impossible gets the time as stored when a field was out of range. A
// date of 0 is an entry that was never given one, not a damaged one.
LocalTime TimeOfEntry(const uint8_t* entry, std::string* impossible) {
  const uint16_t time = GetLe16(entry + 22);
  const uint16_t date = GetLe16(entry + 24);
  LocalTime raw;
  raw.year = 1980 + (date >> 9);
  raw.month = date == 0 ? 1 : (date >> 5) & 0x0F;
  raw.day = date == 0 ? 1 : date & 0x1F;
  raw.hour = time >> 11;
  raw.minute = (time >> 5) & 0x3F;
  raw.second = (time & 0x1F) * 2;
  LocalTime t = raw;
  t.month = std::clamp(t.month, 1, 12);
  t.day = std::clamp(t.day, 1, DaysIn(t.year, t.month));
  t.hour = std::min(t.hour, 23);
  t.minute = std::min(t.minute, 59);
  t.second = std::min(t.second, 59);
  if (t.month != raw.month || t.day != raw.day || t.hour != raw.hour || t.minute != raw.minute ||
      t.second != raw.second) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", raw.year, raw.month, raw.day, raw.hour,
                  raw.minute, raw.second);
    *impossible = text;
  }
  return t;
}

// "." and "..": the folder itself and its parent, never entries of their own.
bool DotEntry(const uint8_t* entry) {
  static constexpr char kDot[] = ".          ", kDotDot[] = "..         ";
  return std::equal(entry, entry + 11, kDot) || std::equal(entry, entry + 11, kDotDot);
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
      : v_(volume),
        owner_(volume.clusterCount_ + 2, -1),
        stamp_(volume.clusterCount_ + 2, 0),
        onPath_(volume.clusterCount_ + 2, false),
        budget_(kReadsPerEntrySlot * static_cast<int64_t>(volume.disk_.bytes.size() / kFatEntryBytes)) {}

  enum class End { Eof, Needed, Unknown, Free, BadMark, OutOfRange, Loop, Owned };
  struct Chain {
    std::vector<uint32_t> clusters;
    End end = End::Eof;
  };

  // The clusters from first on: at most needed of them (0: up to the end), stopping at a cluster that owners
  // gives to an entry already (when owners is given) and at one that seen(cluster) says the walk had (it
  // notes every cluster it is asked about).
  template <typename Seen>
  static Chain WalkChain(const FatVolume& v, uint32_t first, uint64_t needed, Seen seen, const std::vector<int>* owners) {
    Chain chain;
    const uint32_t last = v.clusterCount_ + 1;
    const uint32_t eof = v.fat16_ ? 0xFFF8 : 0xFF8;
    const uint32_t badMark = v.fat16_ ? 0xFFF7 : 0xFF7;
    uint32_t cluster = first;
    while (true) {
      if (cluster < 2 || cluster > last) return chain.end = End::OutOfRange, chain;
      if (owners && (*owners)[cluster] >= 0) return chain.end = End::Owned, chain;
      if (seen(cluster)) return chain.end = End::Loop, chain;
      chain.clusters.push_back(cluster);
      const bool known = v.nextKnown_[cluster];
      const uint32_t next = v.next_[cluster];
      if (needed != 0 && chain.clusters.size() >= needed) {
        // Enough for the size: a chain going on is too long, unless it goes back to where it has been.
        const bool more = known && next < eof;
        chain.end = !more ? End::Eof : next >= 2 && next <= last && seen(next) ? End::Loop : End::Needed;
        return chain;
      }
      if (!known) return chain.end = End::Unknown, chain;
      if (next >= eof) return chain.end = End::Eof, chain;
      if (next == badMark) return chain.end = End::BadMark, chain;
      if (next == 0) return chain.end = End::Free, chain;
      cluster = next;
    }
  }

  void Run() {
    ReadFolders();
    CountAreas();
    OrderFolderFirst();
  }

 private:
  void Note(FatFault fault, const std::string& path, std::string detail = {}) {
    v_.findings_.push_back({fault, path, std::move(detail)});
  }

  bool SectorBad(int64_t sector) const {
    return sector >= 0 && static_cast<std::size_t>(sector) < v_.disk_.bad.size() && v_.disk_.bad[sector];
  }

  // Marks in the walk's stamps: the same cluster twice in one walk is a loop.
  auto Stamps() {
    const uint32_t walk = ++walk_;
    return [this, walk](uint32_t cluster) {
      if (stamp_[cluster] == walk) return true;
      stamp_[cluster] = walk;
      return false;
    };
  }

  void CountSectors(FatEntry& entry, const std::vector<uint32_t>& clusters) const {
    for (uint32_t cluster : clusters) {
      const int64_t first = v_.dataStart_ + (cluster - 2) * v_.sectorsPerCluster_;
      for (int64_t s = first; s < first + v_.sectorsPerCluster_; ++s) {
        ++entry.sectors;
        if (SectorBad(s)) ++entry.badSectors;
      }
    }
    if (entry.state != EntryState::Unknown && entry.badSectors > 0) entry.state = EntryState::Damaged;
  }

  // Walks an entry's chain, takes its clusters for it and counts its bad sectors; a folder's clusters are
  // returned.
  std::vector<uint32_t> Claim(int index) {
    FatEntry& entry = v_.entries_[index];
    const uint64_t clusterBytes = static_cast<uint64_t>(v_.sectorsPerCluster_) * kSectorBytes;
    const uint64_t needed = entry.folder ? 0 : (entry.size + clusterBytes - 1) / clusterBytes;
    if (!entry.folder && needed == 0) return {};
    Chain chain = WalkChain(v_, entry.firstCluster, needed, Stamps(), &owner_);
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
      case End::Owned: Note(FatFault::CrossLinked, entry.path); break;
    }
    for (uint32_t cluster : chain.clusters) owner_[cluster] = index;
    CountSectors(entry, chain.clusters);
    return entry.folder ? std::move(chain.clusters) : std::vector<uint32_t>{};
  }

  // The clusters of a subfolder to read. One that begins in another folder's clusters is cross-linked: it is
  // read as that folder's chain (its clusters stay the other's), unless the chain is one of the folders
  // it lies in, which would have it hold itself.
  std::vector<uint32_t> ClaimFolder(int index) {
    FatEntry& entry = v_.entries_[index];
    const uint32_t first = entry.firstCluster;
    const bool inOtherFolder = first >= 2 && first <= v_.clusterCount_ + 1 && owner_[first] >= 0 &&
                               v_.entries_[owner_[first]].folder;
    if (!inOtherFolder) return Claim(index);
    Chain chain = WalkChain(v_, first, 0, Stamps(), nullptr);
    const bool cycle = std::any_of(chain.clusters.begin(), chain.clusters.end(), [&](uint32_t c) { return onPath_[c]; });
    Note(cycle ? FatFault::FolderCycle : FatFault::CrossLinked, entry.path);
    if (cycle) return {};
    if (chain.end == End::Unknown) entry.state = EntryState::Unknown;
    CountSectors(entry, chain.clusters);
    return std::move(chain.clusters);
  }

  // The sectors of a folder, in order: the root's fixed area or the clusters of a subfolder.
  std::vector<int64_t> FolderSectors(int index, const std::vector<uint32_t>& clusters) const {
    std::vector<int64_t> sectors;
    if (index < 0) {
      for (int64_t s = v_.dataStart_ - rootSectors_; s < v_.dataStart_; ++s) sectors.push_back(s);
      return sectors;
    }
    for (uint32_t cluster : clusters) {
      const int64_t first = v_.dataStart_ + (cluster - 2) * v_.sectorsPerCluster_;
      for (int64_t s = first; s < first + v_.sectorsPerCluster_; ++s) sectors.push_back(s);
    }
    return sectors;
  }

  // Depth first from the root, a folder's own entries before its subfolders' and without recursion: a volume
  // may nest folders as deep as it has clusters. The clusters of the folders on the way down are marked, so
  // that a folder leading back into one of them is a cycle.
  void ReadFolders() {
    struct Step {
      int folder;
      bool leave;
      std::vector<uint32_t> clusters;
    };
    std::vector<Step> steps;
    auto enter = [&](const std::vector<int>& subfolders) {
      for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) steps.push_back({*it, false, {}});
    };
    enter(ReadFolder(-1, {}));
    while (!steps.empty()) {
      Step step = std::move(steps.back());
      steps.pop_back();
      if (step.leave) {
        for (uint32_t cluster : step.clusters) onPath_[cluster] = false;
        continue;
      }
      std::vector<uint32_t> clusters = ClaimFolder(step.folder);
      if (budget_ <= 0) continue;  // listed, its contents no more
      for (uint32_t cluster : clusters) onPath_[cluster] = true;
      std::vector<int> subfolders = ReadFolder(step.folder, clusters);
      steps.push_back({step.folder, true, std::move(clusters)});
      enter(subfolders);
    }
  }

  // Lists a folder's entries, claiming its files' clusters; returns its subfolders.
  std::vector<int> ReadFolder(int index, const std::vector<uint32_t>& clusters) {
    const std::string prefix = index < 0 ? std::string() : v_.entries_[index].path;
    LongNameCollector longName;
    std::vector<int> subfolders;
    for (int64_t sector : FolderSectors(index, clusters)) {
      if (SectorBad(sector)) {
        longName.Reset();
        continue;
      }
      const uint8_t* bytes = v_.disk_.bytes.data() + sector * kSectorBytes;
      bool ended = false;
      for (std::size_t at = 0; at < kSectorBytes && !ended; at += kFatEntryBytes) {
        if (--budget_ < 0) {
          Note(FatFault::TooManyEntries, prefix);
          return subfolders;
        }
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
        } else if (DotEntry(e)) {
          longName.Reset();
        } else {
          FatEntry entry;
          entry.shortName = ShortNameOf(e);
          if (entry.shortName.empty()) entry.shortName = "_";  // a name of spaces only
          entry.name = longName.TakeFor(e);
          if (entry.name.empty()) entry.name = entry.shortName;
          entry.folder = (attributes & kFatFolder) != 0;
          entry.attributes = attributes;
          entry.path = prefix + PathStep(entry.name) + (entry.folder ? "/" : "");
          entry.size = entry.folder ? 0 : GetLe32(e + 28);
          std::string impossible;
          entry.modified = TimeOfEntry(e, &impossible);
          if (!impossible.empty()) Note(FatFault::ImpossibleTime, entry.path, impossible);
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
    return subfolders;
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
  std::vector<bool> onPath_;
  int64_t budget_;
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
  std::optional<FatLayout> layout;
  if (bad(0)) {
    layout = LayoutOfStandardDisk(disk.bytes, bad);
    if (!layout) return fail(FatOpenError::BootSectorBad);
    volume.findings_.push_back({FatFault::BootSectorGuessed, {}});
  } else {
    layout = LayoutOfBootSector(disk.bytes.data());
    if (!layout && !bad(1)) layout = LayoutOfMediaByte(disk.bytes.data() + kSectorBytes);
    if (!layout) return fail(FatOpenError::NoFatVolume);
  }

  const int64_t rootSectors = layout->RootSectors();
  const int64_t dataStart = layout->FirstDataSector();
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
  // A set the size of the chain, not of the volume: extracting many small files stays linear.
  std::unordered_set<uint32_t> seen;
  auto once = [&seen](uint32_t cluster) { return !seen.insert(cluster).second; };
  FatWalk::Chain chain;
  if (needed > 0) chain = FatWalk::WalkChain(*this, file.firstCluster, needed, once, nullptr);
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
