#include "filesystem/FatWriter.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/LittleEndian.h"
#include "filesystem/FatNames.h"
#include "filesystem/NameFolding.h"

namespace {

constexpr uint8_t kDeleted = 0xE5;
constexpr uint8_t kLongNameAttributes = 0x0F;

bool FreeSlot(const uint8_t* entry) { return entry[0] == 0x00 || entry[0] == kDeleted; }
bool LongNameSlot(const uint8_t* entry) { return (entry[11] & 0x3F) == kLongNameAttributes; }
bool DotSlot(const uint8_t* entry) { return entry[0] == '.'; }

// FAT's time and date words, in the years FAT can hold (1980 to 2107).
uint16_t FatTime(const LocalTime& t) {
  if (t.year < 1980) return 0;
  return static_cast<uint16_t>(std::min(t.hour, 23) << 11 | std::min(t.minute, 59) << 5 | std::min(t.second, 59) / 2);
}
uint16_t FatDate(const LocalTime& t) {
  if (t.year < 1980) return 1 << 5 | 1;
  if (t.year > 2107) return static_cast<uint16_t>(127 << 9 | 12 << 5 | 31);
  return static_cast<uint16_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
}

void SetTimes(uint8_t* entry, const LocalTime& modified) {
  const uint16_t time = FatTime(modified), date = FatDate(modified);
  PutLe16(entry + 14, time);  // created
  PutLe16(entry + 16, date);
  PutLe16(entry + 18, date);  // last accessed
  PutLe16(entry + 22, time);  // modified
  PutLe16(entry + 24, date);
}

void ShortEntry(uint8_t* entry, const ShortNameBytes& name, uint8_t attributes, uint32_t cluster, uint32_t size,
                const LocalTime& modified) {
  std::memset(entry, 0, kFatEntryBytes);
  std::copy(name.begin(), name.end(), entry);
  entry[11] = attributes;
  SetTimes(entry, modified);
  PutLe16(entry + 26, static_cast<uint16_t>(cluster));
  PutLe32(entry + 28, size);
}

ShortNameBytes NameOf(const uint8_t* entry) {
  ShortNameBytes name;
  std::copy(entry, entry + 11, name.begin());
  return name;
}

}  // namespace

std::optional<FatWriter> FatWriter::Open(std::vector<uint8_t> volume, std::vector<FatFinding>* faults) {
  if (faults) faults->clear();
  // The volume is read where it lies: a floppy's sectors are copied by nobody on the way to a change.
  std::optional<FatVolume> read = FatVolume::Read(DiskSectors{std::move(volume), {}});
  if (!read) return std::nullopt;
  bool sound = true;
  for (const FatFinding& finding : read->Findings()) {
    if (finding.fault == FatFault::ImpossibleTime) continue;
    sound = false;
    if (faults) faults->push_back(finding);
  }
  volume = std::move(*read).TakeDisk().bytes;  // the rest of read stays valid
  std::optional<FatLayout> layout = LayoutOfBootSector(volume.data());
  if (!layout) layout = LayoutOfMediaByte(volume.data() + kSectorBytes);
  if (!sound || !layout) return std::nullopt;

  FatWriter writer;
  writer.layout_ = *layout;
  writer.fat16_ = read->Fat16();
  writer.clusterCount_ = static_cast<uint32_t>(layout->Clusters());
  writer.clusterBytes_ = static_cast<uint64_t>(layout->sectorsPerCluster) * kSectorBytes;
  const uint8_t* fat = volume.data() + layout->reserved * kSectorBytes;
  writer.fat_.resize(writer.clusterCount_ + 2);
  for (uint32_t c = 0; c < writer.fat_.size(); ++c) {
    const uint32_t pair = GetLe16(fat + (writer.fat16_ ? c * 2 : c * 3 / 2));
    writer.fat_[c] = writer.fat16_ ? pair : c % 2 == 0 ? pair & 0xFFF : pair >> 4;
    if (c >= 2 && writer.fat_[c] == 0) ++writer.freeClusters_;
  }
  writer.freeAtStart_ = writer.freeClusters_;
  writer.volume_ = std::move(volume);

  FolderState root;
  const uint8_t* rootBytes = writer.volume_.data() + layout->FirstRootSector() * kSectorBytes;
  root.slots.assign(rootBytes, rootBytes + layout->rootEntries * kFatEntryBytes);
  writer.folders_.push_back(std::move(root));
  writer.Index(kRoot);
  return writer;
}

uint8_t* FatWriter::ClusterData(uint32_t cluster) {
  const int64_t sector = layout_.FirstDataSector() + (cluster - 2) * layout_.sectorsPerCluster;
  return volume_.data() + sector * kSectorBytes;
}

// The folder's names, and its slots after the end mark cleared: the reader stops there, so nothing after it
// may look like an entry once entries are added before it.
void FatWriter::Index(Folder folder) {
  FolderState& state = State(folder);
  LongNameCollector longName;
  const std::size_t count = state.slots.size() / kFatEntryBytes;
  for (std::size_t slot = 0; slot < count; ++slot) {
    const uint8_t* entry = state.slots.data() + slot * kFatEntryBytes;
    if (entry[0] == 0x00) {
      std::fill(state.slots.begin() + static_cast<std::ptrdiff_t>(slot * kFatEntryBytes), state.slots.end(), 0);
      break;
    }
    if (entry[0] == kDeleted || ((entry[11] & kFatVolumeLabel) && !LongNameSlot(entry)) || DotSlot(entry)) {
      longName.Reset();
      continue;
    }
    if (LongNameSlot(entry)) {
      longName.Add(entry);
      continue;
    }
    const std::string shortName = ShortNameOf(entry);
    const std::string name = longName.TakeFor(entry);
    state.names[FoldedName(shortName)] = slot;
    if (!name.empty()) state.names[FoldedName(name)] = slot;
    state.shortNames.insert(NameOf(entry));
  }
}

std::optional<std::size_t> FatWriter::Lookup(Folder folder, std::string_view name) {
  const FolderState& state = State(folder);
  auto found = state.names.find(FoldedName(name));
  if (found == state.names.end()) return std::nullopt;
  return found->second;
}

std::vector<uint32_t> FatWriter::Chain(uint32_t first) const {
  std::vector<uint32_t> chain;
  const uint32_t eof = fat16_ ? 0xFFF8 : 0xFF8;
  // The volume was found sound, but a walk stays bounded by the clusters there are.
  for (uint32_t cluster = first; cluster >= 2 && cluster <= clusterCount_ + 1 && chain.size() <= clusterCount_;
       cluster = fat_[cluster]) {
    chain.push_back(cluster);
    if (fat_[cluster] >= eof) break;
  }
  return chain;
}

FatWriter::Folder FatWriter::Subfolder(Folder parent, std::size_t slot) {
  auto known = State(parent).subfolders.find(slot);
  if (known != State(parent).subfolders.end()) return known->second;
  FolderState state;
  state.firstCluster = GetLe16(Entry(parent, slot) + 26);
  state.clusters = Chain(state.firstCluster);
  for (uint32_t cluster : state.clusters) {
    const uint8_t* data = ClusterData(cluster);
    state.slots.insert(state.slots.end(), data, data + clusterBytes_);
  }
  folders_.push_back(std::move(state));
  const Folder folder = static_cast<Folder>(folders_.size() - 1);
  Index(folder);
  State(parent).subfolders[slot] = folder;
  return folder;
}

// count clusters in one run where there is one (first the one after `after`, to let a folder grow in
// place), else the lowest free ones. None when fewer are free: the shortfall is counted instead, so that the
// changes can be followed to their end and say how much room they need.
std::vector<uint32_t> FatWriter::Allocate(uint64_t count, uint32_t after) {
  std::vector<uint32_t> clusters;
  if (count == 0) return clusters;
  if (count > freeClusters_) {
    shortfall_ += count;
    return clusters;
  }
  const uint32_t last = clusterCount_ + 1;
  uint32_t start = 0;
  if (after >= 2 && after < last && fat_[after + 1] == 0 && count == 1) start = after + 1;
  for (uint32_t c = 2, run = 0; start == 0 && c <= last; ++c) {
    run = fat_[c] == 0 ? run + 1 : 0;
    if (run == count) start = c + 1 - run;
  }
  for (uint32_t c = start == 0 ? 2 : start; clusters.size() < count; ++c) {
    if (fat_[c] == 0) clusters.push_back(c);
  }
  const uint32_t eof = fat16_ ? 0xFFFF : 0xFFF;
  for (std::size_t i = 0; i < clusters.size(); ++i) fat_[clusters[i]] = i + 1 < clusters.size() ? clusters[i + 1] : eof;
  freeClusters_ -= count;
  taken_ += count;
  return clusters;
}

void FatWriter::Free(uint32_t first) {
  for (uint32_t cluster : Chain(first)) {
    fat_[cluster] = 0;
    ++freeClusters_;
    ++released_;
  }
}

// The first slot of count free ones in a row; a subfolder grows by clusters when it has none.
std::optional<std::size_t> FatWriter::Room(Folder folder, std::size_t count) {
  FolderState& state = State(folder);
  const std::size_t slots = state.slots.size() / kFatEntryBytes;
  std::size_t run = 0;
  for (std::size_t slot = 0; slot < slots; ++slot) {
    run = FreeSlot(state.slots.data() + slot * kFatEntryBytes) ? run + 1 : 0;
    if (run == count) return slot + 1 - count;
  }
  if (folder == kRoot) return std::nullopt;
  const uint64_t more = ((count - run) * kFatEntryBytes + clusterBytes_ - 1) / clusterBytes_;
  const uint32_t last = state.clusters.empty() ? 0 : state.clusters.back();
  std::vector<uint32_t> added = Allocate(more, last);
  if (!added.empty() && last != 0) fat_[last] = added.front();
  state.clusters.insert(state.clusters.end(), added.begin(), added.end());
  state.slots.resize(state.slots.size() + more * clusterBytes_, 0);
  return slots - run;
}

FatChange FatWriter::PutEntry(Folder folder, std::string_view name, uint8_t attributes, uint32_t cluster,
                              uint32_t size, const LocalTime& modified, std::size_t* slot) {
  FolderState& state = State(folder);
  const ShortName shortName =
      MakeShortName(name, [&state](const ShortNameBytes& bytes) { return state.shortNames.count(bytes) > 0; });
  std::vector<FatEntryBytes> longName;
  if (shortName.needsLongName) longName = LongNameEntries(name, ShortNameChecksum(shortName.bytes.data()));
  const std::optional<std::size_t> first = Room(folder, longName.size() + 1);
  if (!first) return FatChange::RootFull;
  for (std::size_t i = 0; i < longName.size(); ++i) {
    std::copy(longName[i].begin(), longName[i].end(), Entry(folder, *first + i));
  }
  *slot = *first + longName.size();
  uint8_t* entry = Entry(folder, *slot);
  ShortEntry(entry, shortName.bytes, attributes, cluster, size, modified);
  entry[12] = shortName.lowerFlags;
  state.names[FoldedName(name)] = *slot;
  state.names[FoldedName(ShortNameOf(entry))] = *slot;
  state.shortNames.insert(shortName.bytes);
  state.changed = true;
  return FatChange::Done;
}

// Marks the entry and its long-name entries deleted.
void FatWriter::ForgetEntry(Folder folder, std::size_t slot) {
  FolderState& state = State(folder);
  const uint8_t checksum = ShortNameChecksum(Entry(folder, slot));
  state.shortNames.erase(NameOf(Entry(folder, slot)));
  Entry(folder, slot)[0] = kDeleted;
  for (std::size_t before = slot; before > 0; --before) {
    uint8_t* entry = Entry(folder, before - 1);
    if (entry[0] == kDeleted || !LongNameSlot(entry) || entry[13] != checksum) break;
    entry[0] = kDeleted;
  }
  std::erase_if(state.names, [slot](const auto& name) { return name.second == slot; });
  state.subfolders.erase(slot);
  state.changed = true;
}

FatChange FatWriter::FindFolder(std::string_view path, Folder* found, bool make, const LocalTime& modified) {
  Folder folder = kRoot;
  for (const std::string& step : DiskPathSteps(path)) {
    Folder next = kRoot;
    if (std::optional<std::size_t> slot = Lookup(folder, step)) {
      if (!(Entry(folder, *slot)[11] & kFatFolder)) return FatChange::NotAFolder;
      next = Subfolder(folder, *slot);
    } else if (!make) {
      return FatChange::NotFound;
    } else if (const FatChange made = MakeFolder(folder, step, modified, &next); made != FatChange::Done) {
      return made;
    }
    folder = next;
  }
  *found = folder;
  return FatChange::Done;
}

FatChange FatWriter::MakeFolder(Folder folder, std::string_view name, const LocalTime& modified, Folder* made) {
  if (CheckLongName(name) != NameFault::None) return FatChange::BadName;
  if (std::optional<std::size_t> slot = Lookup(folder, name)) {
    if (!(Entry(folder, *slot)[11] & kFatFolder)) return FatChange::KindDiffers;
    *made = Subfolder(folder, *slot);
    return FatChange::Exists;
  }
  std::vector<uint32_t> clusters = Allocate(1, 0);
  const uint32_t cluster = clusters.empty() ? 0 : clusters.front();
  std::size_t slot = 0;
  if (const FatChange put = PutEntry(folder, name, kFatFolder, cluster, 0, modified, &slot); put != FatChange::Done) {
    if (cluster != 0) Free(cluster);
    return put;
  }
  FolderState state;
  state.firstCluster = cluster;
  state.clusters = clusters;
  state.slots.assign(clusterBytes_, 0);
  state.changed = true;
  ShortNameBytes dot, dotDot;
  dot.fill(' ');
  dotDot.fill(' ');
  dot[0] = dotDot[0] = dotDot[1] = '.';
  ShortEntry(state.slots.data(), dot, kFatFolder, cluster, 0, modified);
  ShortEntry(state.slots.data() + kFatEntryBytes, dotDot, kFatFolder, State(folder).firstCluster, 0, modified);
  folders_.push_back(std::move(state));
  *made = static_cast<Folder>(folders_.size() - 1);
  State(folder).subfolders[slot] = *made;
  return FatChange::Done;
}

FatChange FatWriter::AddFile(Folder folder, std::string_view name, const FileSource& source,
                             const LocalTime& modified, bool replace) {
  if (CheckLongName(name) != NameFault::None) return FatChange::BadName;
  if (std::optional<std::size_t> slot = Lookup(folder, name)) {
    const uint8_t* existing = Entry(folder, *slot);
    if (existing[11] & kFatFolder) return FatChange::KindDiffers;
    if (!replace) return FatChange::Exists;
    Free(GetLe16(existing + 26));
    ForgetEntry(folder, *slot);
  }
  const std::vector<uint32_t> clusters = Allocate((source.size + clusterBytes_ - 1) / clusterBytes_, 0);
  if (!clusters.empty()) {
    std::vector<uint8_t> bytes(clusters.size() * clusterBytes_, 0);
    if (!source.read(std::span<uint8_t>(bytes.data(), static_cast<std::size_t>(source.size)))) {
      Free(clusters.front());
      return FatChange::Unreadable;
    }
    for (std::size_t i = 0; i < clusters.size(); ++i) {
      std::copy_n(bytes.data() + i * clusterBytes_, clusterBytes_, ClusterData(clusters[i]));
    }
  }
  std::size_t slot = 0;
  const uint32_t first = clusters.empty() ? 0 : clusters.front();
  const FatChange put =
      PutEntry(folder, name, kFatArchive, first, static_cast<uint32_t>(source.size), modified, &slot);
  if (put != FatChange::Done && first != 0) Free(first);
  return put;
}

void FatWriter::RemoveFolderContents(Folder top) {
  // Without recursion: folders may nest as deep as the disk has clusters.
  std::vector<Folder> pending{top};
  while (!pending.empty()) {
    const Folder folder = pending.back();
    pending.pop_back();
    const std::size_t slots = State(folder).slots.size() / kFatEntryBytes;
    for (std::size_t slot = 0; slot < slots; ++slot) {
      const uint8_t* entry = Entry(folder, slot);
      if (FreeSlot(entry) || LongNameSlot(entry) || DotSlot(entry) || (entry[11] & kFatVolumeLabel)) continue;
      if (entry[11] & kFatFolder) {
        pending.push_back(Subfolder(folder, slot));
      } else {
        Free(GetLe16(entry + 26));
      }
    }
    if (State(folder).firstCluster != 0) Free(State(folder).firstCluster);
    State(folder).removed = true;
  }
}

FatChange FatWriter::Remove(std::string_view path) {
  std::vector<std::string> steps = DiskPathSteps(path);
  if (steps.empty()) return FatChange::BadName;
  const std::string name = steps.back();
  steps.pop_back();
  std::string parentPath;
  for (const std::string& step : steps) parentPath.append(step).append("/");
  Folder parent = kRoot;
  if (const FatChange found = FindFolder(parentPath, &parent); found != FatChange::Done) return found;
  const std::optional<std::size_t> slot = Lookup(parent, name);
  if (!slot) return FatChange::NotFound;
  const uint8_t* entry = Entry(parent, *slot);
  if (entry[11] & kFatFolder) {
    RemoveFolderContents(Subfolder(parent, *slot));
  } else {
    Free(GetLe16(entry + 26));
  }
  ForgetEntry(parent, *slot);
  return FatChange::Done;
}

FatChange FatWriter::SetLabel(std::string_view text, const LocalTime& now) {
  const std::optional<ShortNameBytes> label = LabelBytes(text);
  if (!label) return FatChange::BadName;
  const bool none = *label == ShortNameBytes{' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  FolderState& root = State(kRoot);
  std::optional<std::size_t> found;
  for (std::size_t slot = 0; slot < root.slots.size() / kFatEntryBytes && !found; ++slot) {
    const uint8_t* entry = Entry(kRoot, slot);
    if (entry[0] == 0x00) break;
    if (!FreeSlot(entry) && !LongNameSlot(entry) && (entry[11] & kFatVolumeLabel)) found = slot;
  }
  if (none && found) {
    Entry(kRoot, *found)[0] = kDeleted;
  } else if (!none) {
    if (!found) found = Room(kRoot, 1);
    if (!found) return FatChange::RootFull;
    ShortEntry(Entry(kRoot, *found), *label, kFatVolumeLabel | kFatArchive, 0, 0, now);
  }
  root.changed = true;
  constexpr int kExtendedSignature = 38, kBootLabel = 43;
  if (volume_[kExtendedSignature] == 0x29) {
    std::copy_n(none ? reinterpret_cast<const uint8_t*>("NO NAME    ") : label->data(), 11, volume_.data() + kBootLabel);
  }
  return FatChange::Done;
}

std::optional<FatSpace> FatWriter::Shortfall() const {
  if (shortfall_ == 0) return std::nullopt;
  return FatSpace{(taken_ + shortfall_) * clusterBytes_, (freeAtStart_ + released_) * clusterBytes_};
}

std::optional<std::vector<uint8_t>> FatWriter::Finish() {
  if (shortfall_ > 0) return std::nullopt;
  for (FolderState& state : folders_) {
    if (!state.changed || state.removed) continue;
    if (&state == &State(kRoot)) {
      std::copy(state.slots.begin(), state.slots.end(), volume_.begin() + layout_.FirstRootSector() * kSectorBytes);
      continue;
    }
    for (std::size_t i = 0; i < state.clusters.size(); ++i) {
      std::copy_n(state.slots.data() + i * clusterBytes_, clusterBytes_, ClusterData(state.clusters[i]));
    }
  }
  uint8_t* fat = volume_.data() + layout_.reserved * kSectorBytes;
  for (uint32_t c = 2; c < fat_.size(); ++c) {
    const uint32_t value = fat_[c];
    if (fat16_) {
      PutLe16(fat + c * 2, static_cast<uint16_t>(value));
      continue;
    }
    uint8_t* at = fat + c * 3 / 2;
    if (c % 2 == 0) {
      at[0] = static_cast<uint8_t>(value);
      at[1] = static_cast<uint8_t>((at[1] & 0xF0) | (value >> 8 & 0x0F));
    } else {
      at[0] = static_cast<uint8_t>((at[0] & 0x0F) | (value << 4 & 0xF0));
      at[1] = static_cast<uint8_t>(value >> 4);
    }
  }
  const std::size_t fatBytes = static_cast<std::size_t>(layout_.sectorsPerFat * kSectorBytes);
  for (int64_t copy = 1; copy < layout_.fats; ++copy) std::copy_n(fat, fatBytes, fat + copy * fatBytes);
  return std::move(volume_);
}
