#pragma once
// A 1.44 MB FAT12 volume built byte by byte, as a crafted or damaged disk would hold it: FATs at sectors 1 and
// 10, the root folder at 19..32 (224 entries), cluster 2 at sector 33. Tests place entries, long names and
// chains where they want them, or let it hand out fresh clusters and folder slots.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CraftedVolume {
 public:
  static constexpr int64_t kRootSector = 19;

  std::vector<uint8_t> bytes;
  std::vector<bool> bad = std::vector<bool>(2880, false);

  CraftedVolume();

  void SetNext(uint32_t cluster, uint32_t value);
  // Links the clusters in this order, the last one ending the chain.
  void Chain(const std::vector<uint32_t>& clusters);
  uint8_t* Sector(int64_t sector) { return &bytes[static_cast<std::size_t>(sector) * 512]; }
  static int64_t SectorOf(uint32_t cluster) { return 33 + cluster - 2; }
  // A short entry at slot of the folder starting at sector, modified 1995-06-17 13:45:30.
  uint8_t* Entry(int64_t sector, int slot, const char* name11, uint8_t attributes, uint16_t cluster, uint32_t size);
  // The long-name entries of name (UTF-8) that belong to the short entry short11, from firstSlot on; returns
  // how many slots they take.
  int LongName(int64_t sector, int firstSlot, const std::string& name, const char* short11);

  // A folder whose entries are handed out slot by slot (the root, or a subfolder of one cluster).
  struct Folder {
    int64_t sector;
    int slots;
    int next = 0;
  };
  static Folder Root() { return {kRootSector, 224}; }
  // data in fresh clusters, chained; its first cluster (0 when empty).
  uint16_t Store(std::string_view data);
  // A file of data in the folder's next slots, with its long name when one is given; its short entry.
  uint8_t* AddFile(Folder& folder, const char* short11, std::string_view data, const std::string& longName = "");
  // A subfolder of one fresh cluster (with its "." and ".." entries) in the folder's next slots.
  Folder AddFolder(Folder& folder, const char* short11, const std::string& longName = "");
  // A short entry as given in the folder's next slot.
  uint8_t* AddEntry(Folder& folder, const char* short11, uint8_t attributes, uint16_t cluster, uint32_t size);

  std::string Image() const { return std::string(bytes.begin(), bytes.end()); }

 private:
  uint32_t nextCluster_ = 2;
};
