// The FAT reader on volumes built here byte by byte: names, the damage of bad sectors, and hostile
// structures that must end in a finding.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "base/LittleEndian.h"
#include "filesystem/FatVolume.h"
#include "filesystem/Fat12.h"
#include "base/BadSectorMarker.h"
#include "support/CraftedVolume.h"

namespace {

// A blank 1.44 MB volume to build on, read as the reader reads an image.
struct Disk : CraftedVolume {
  FatVolume Read() {
    FatOpenError why;
    std::optional<FatVolume> volume = FatVolume::Read({bytes, bad}, &why);
    EXPECT_TRUE(volume.has_value()) << static_cast<int>(why);
    return volume ? std::move(*volume) : *FatVolume::Read({BlankFat12Volume({80, 18}), {}});
  }
};

void LongName(Disk& disk, int64_t sector, int firstSlot, const std::string& name, const char* short11) {
  disk.LongName(sector, firstSlot, name, short11);
}

const FatEntry* Find(const FatVolume& volume, const std::string& path) {
  for (const FatEntry& entry : volume.Entries()) {
    if (entry.path == path) return &entry;
  }
  return nullptr;
}

bool Has(const FatVolume& volume, FatFault fault, const std::string& path) {
  return std::any_of(volume.Findings().begin(), volume.Findings().end(),
                     [&](const FatFinding& f) { return f.fault == fault && f.path == path; });
}

TEST(FatVolume, ListsNamesSizesTimesAndFoldersAsOtherSystemsWriteThem) {
  Disk disk;
  disk.Entry(19, 0, "MY DISK    ", kFatVolumeLabel, 0, 0);
  disk.Entry(19, 1, "\xE5OLD    TXT", kFatArchive, 5, 10);  // deleted
  LongName(disk, 19, 2, "A rather long name.text", "ARATHE~1TEX");
  disk.Entry(19, 4, "ARATHE~1TEX", kFatArchive, 2, 700);
  disk.Chain({2, 3});
  disk.Entry(19, 5, "README  TXT", kFatHidden | kFatSystem, 0, 0)[12] = 0x18;  // both parts lower case
  LongName(disk, 19, 6, "Broken", "OTHER   TXT");  // a checksum of another name: the short name holds
  disk.Entry(19, 7, "SHORT   TXT", kFatArchive, 0, 0);
  disk.Entry(19, 8, "SUB        ", kFatFolder, 4, 0);
  disk.Chain({4});
  disk.Entry(Disk::SectorOf(4), 0, ".          ", kFatFolder, 4, 0);
  disk.Entry(Disk::SectorOf(4), 1, "..         ", kFatFolder, 0, 0);
  disk.Entry(Disk::SectorOf(4), 2, "\xD6\xD0\xCE\xC4    TXT", kFatArchive, 5, 1);  // GBK "中文"
  disk.Chain({5});
  disk.Entry(19, 9, "AFTER   TXT", kFatArchive, 0, 0);

  FatVolume volume = disk.Read();
  EXPECT_EQ(volume.Label(), "MY DISK");
  std::vector<std::string> paths;
  for (const FatEntry& entry : volume.Entries()) paths.push_back(entry.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"A rather long name.text", "readme.txt", "SHORT.TXT", "SUB/",
                                             "SUB/中文.TXT", "AFTER.TXT"}));
  const FatEntry* named = Find(volume, "A rather long name.text");
  ASSERT_TRUE(named);
  EXPECT_EQ(named->size, 700u);
  EXPECT_EQ(named->sectors, 2);
  EXPECT_EQ(named->modified.year, 1995);
  EXPECT_EQ(named->modified.month, 6);
  EXPECT_EQ(named->modified.day, 17);
  EXPECT_EQ(named->modified.hour, 13);
  EXPECT_EQ(named->modified.minute, 45);
  EXPECT_EQ(named->modified.second, 30);
  EXPECT_EQ(Find(volume, "readme.txt")->attributes, kFatHidden | kFatSystem);
  EXPECT_EQ(Find(volume, "SUB/中文.TXT")->parent, 3);
  EXPECT_TRUE(volume.Intact());
  EXPECT_TRUE(volume.AreasHit().empty());
}

TEST(FatVolume, BadSectorsClassTheFilesAndAreasTheyHit) {
  // A file of three clusters (2..4), a folder (5) holding a one-cluster file (6), free space from 7.
  auto build = [] {
    Disk disk;
    disk.Entry(19, 0, "DATA    BIN", kFatArchive, 2, 1500);
    disk.Chain({2, 3, 4});
    for (uint32_t c = 2; c <= 4; ++c) std::memset(disk.Sector(Disk::SectorOf(c)), 'a' + c, 512);
    disk.Entry(19, 1, "DIR        ", kFatFolder, 5, 0);
    disk.Chain({5});
    disk.Entry(Disk::SectorOf(5), 0, "INNER   TXT", kFatArchive, 6, 5);
    disk.Chain({6});
    return disk;
  };
  struct Case {
    const char* what;
    std::vector<int64_t> bad;
    EntryState data, dir;
    int64_t dataBad;
    std::vector<DiskArea> areas;
    bool innerListed, intact;
  } cases[] = {
      {"a sector of the file", {Disk::SectorOf(3)}, EntryState::Damaged, EntryState::Ok, 1, {DiskArea::Files}, true, false},
      {"the first FAT copy: the second holds", {1}, EntryState::Ok, EntryState::Ok, 0, {DiskArea::FirstFat}, true, false},
      {"the FAT sector in both copies", {1, 10}, EntryState::Unknown, EntryState::Unknown, 0,
       {DiskArea::FirstFat, DiskArea::SecondFat}, true, false},
      {"the folder's sector", {Disk::SectorOf(5)}, EntryState::Ok, EntryState::Damaged, 0, {DiskArea::Folders}, false, false},
      {"the root folder's last sector", {32}, EntryState::Ok, EntryState::Ok, 0, {DiskArea::RootFolder}, true, false},
      {"free space", {Disk::SectorOf(100)}, EntryState::Ok, EntryState::Ok, 0, {DiskArea::FreeSpace}, true, true},
      {"the boot sector: the usual layout of the size", {0}, EntryState::Ok, EntryState::Ok, 0, {DiskArea::BootSector}, true, false},
  };
  for (const Case& c : cases) {
    Disk disk = build();
    for (int64_t s : c.bad) {
      disk.bad[s] = true;
      FillBadSectorMarker(disk.Sector(s));
    }
    FatVolume volume = disk.Read();
    const FatEntry* data = Find(volume, "DATA.BIN");
    const FatEntry* dir = Find(volume, "DIR/");
    ASSERT_TRUE(data && dir) << c.what;
    EXPECT_EQ(data->state, c.data) << c.what;
    EXPECT_EQ(data->badSectors, c.dataBad) << c.what;
    EXPECT_EQ(dir->state, c.dir) << c.what;
    std::vector<DiskArea> areas;
    for (const AreaHit& hit : volume.AreasHit()) areas.push_back(hit.area);
    EXPECT_EQ(areas, c.areas) << c.what;
    EXPECT_EQ(Find(volume, "DIR/INNER.TXT") != nullptr, c.innerListed) << c.what;
    EXPECT_EQ(volume.Intact(), c.intact) << c.what;
    // The file's bytes: its own where readable, a marker block where not.
    std::vector<uint8_t> bytes = volume.FileBytes(*data);
    ASSERT_EQ(bytes.size(), 1500u) << c.what;
    for (int block = 0; block < 3; ++block) {
      const bool lost = data->state == EntryState::Unknown ? block > 0 : c.dataBad > 0 && block == 1;
      EXPECT_EQ(IsBadSectorMarker(&bytes[block * 512]), lost) << c.what << " block " << block;
      if (!lost) {
        EXPECT_EQ(bytes[block * 512 + 100], 'a' + 2 + block) << c.what;
      }
    }
  }
  Disk boot = build();  // a size no usual disk has
  boot.bytes.resize(2000 * 512);
  boot.bad[0] = true;
  FatOpenError why;
  EXPECT_FALSE(FatVolume::Read({boot.bytes, boot.bad}, &why));
  EXPECT_EQ(why, FatOpenError::BootSectorBad);
}

TEST(FatVolume, HostileStructuresEndInAFinding) {
  struct Case {
    const char* what;
    std::function<void(Disk&)> spoil;
    FatFault fault;
    std::string path;  // "*": any
  } cases[] = {
      {"chain loop", [](Disk& d) { d.Entry(19, 0, "LOOP    BIN", 0, 2, 512 * 50); d.Chain({2, 3}); d.SetNext(3, 2); },
       FatFault::ChainLoop, "LOOP.BIN"},
      {"cross-linked folders read again and again",
       [](Disk& d) { d.Chain({2});
                     for (uint32_t c = 3; c < 2000; ++c) d.SetNext(c - 1, c);
                     d.SetNext(1999, 0xFFF);
                     for (uint32_t c = 2; c < 2000; ++c) {
                       for (int slot = 0; slot < 16; ++slot) d.Sector(Disk::SectorOf(c))[slot * 32] = 0xE5;
                     }
                     for (int slot = 0; slot < 224; ++slot) d.Entry(19, slot, ("F" + std::to_string(1000 + slot) + "      ").c_str(), kFatFolder, 2, 0); },
       FatFault::TooManyEntries, "*"},
      {"cross-linked", [](Disk& d) { d.Entry(19, 0, "ONE     BIN", 0, 2, 1024); d.Entry(19, 1, "TWO     BIN", 0, 3, 512); d.Chain({2, 3}); },
       FatFault::CrossLinked, "TWO.BIN"},
      {"folder cycle",
       [](Disk& d) { d.Entry(19, 0, "A          ", kFatFolder, 2, 0); d.Chain({2});
                     d.Entry(Disk::SectorOf(2), 0, "B          ", kFatFolder, 2, 0); },
       FatFault::FolderCycle, "A/B/"},
      {"chain shorter than the size", [](Disk& d) { d.Entry(19, 0, "SHORT   BIN", 0, 2, 5000); d.Chain({2}); },
       FatFault::ChainShort, "SHORT.BIN"},
      {"chain longer than the size", [](Disk& d) { d.Entry(19, 0, "LONG    BIN", 0, 2, 10); d.Chain({2, 3, 4}); },
       FatFault::ChainLong, "LONG.BIN"},
      {"cluster out of range", [](Disk& d) { d.Entry(19, 0, "FAR     BIN", 0, 2, 2000); d.SetNext(2, 0xF00); },
       FatFault::ClusterOutOfRange, "FAR.BIN"},
      {"cluster marked bad", [](Disk& d) { d.Entry(19, 0, "MARK    BIN", 0, 2, 2000); d.SetNext(2, 0xFF7); },
       FatFault::BadClusterInChain, "MARK.BIN"},
      {"boot sector claims more sectors", [](Disk& d) { PutLe16(d.Sector(0) + 19, 5000); }, FatFault::VolumeLargerThanImage, ""},
      {"boot sector claims a FAT too small", [](Disk& d) { PutLe16(d.Sector(0) + 22, 1); }, FatFault::FatTooSmall, ""},
      {"FAT copies differ", [](Disk& d) { d.Sector(10)[100] = 0x55; }, FatFault::FatCopiesDiffer, ""},
  };
  for (const Case& c : cases) {
    Disk disk;
    c.spoil(disk);
    FatVolume volume = disk.Read();
    EXPECT_TRUE(c.path == "*" ? std::any_of(volume.Findings().begin(), volume.Findings().end(),
                                            [&](const FatFinding& f) { return f.fault == c.fault; })
                              : Has(volume, c.fault, c.path))
        << c.what;
    EXPECT_FALSE(volume.Intact()) << c.what;
    EXPECT_LE(volume.Entries().size(), 4 * 2880u * 16) << c.what;
    for (const FatEntry& entry : volume.Entries()) EXPECT_LE(volume.FileBytes(entry).size(), 2880u * 512) << c.what;
  }
  // Folders nested as deep as the disk has clusters (each holding the next) are all read: no depth is
  // refused, no stack runs out.
  Disk deep;
  deep.Entry(19, 0, "D          ", kFatFolder, 2, 0);
  constexpr uint32_t kLast = 2848;
  for (uint32_t c = 2; c <= kLast; ++c) {
    deep.Chain({c});
    if (c < kLast) deep.Entry(Disk::SectorOf(c), 0, "D          ", kFatFolder, static_cast<uint16_t>(c + 1), 0);
  }
  FatVolume volume = deep.Read();
  EXPECT_EQ(volume.Entries().size(), kLast - 1);
  EXPECT_TRUE(volume.Intact());
}

TEST(FatVolume, OldDisksWithoutParametersAreKnownByTheirMediaByte) {
  std::vector<uint8_t> bytes(368640, 0);  // 360 KB: FATs at 1 and 3, root at 5..11, clusters of 2 from 12
  for (int copy = 0; copy < 2; ++copy) {
    uint8_t* fat = &bytes[(1 + copy * 2) * 512];
    fat[0] = 0xFD, fat[1] = 0xFF, fat[2] = 0xFF, fat[3] = 0xFF, fat[4] = 0x0F;  // cluster 2: end of chain
  }
  uint8_t* e = &bytes[5 * 512];
  std::memcpy(e, "COMMAND COM", 11);
  PutLe16(e + 26, 2);
  PutLe32(e + 28, 1000);
  std::optional<FatVolume> volume = FatVolume::Read({bytes, {}});
  ASSERT_TRUE(volume);
  ASSERT_EQ(volume->Entries().size(), 1u);
  EXPECT_EQ(volume->Entries()[0].path, "COMMAND.COM");
  EXPECT_EQ(volume->Entries()[0].sectors, 2);
  EXPECT_TRUE(volume->Intact());
  FatOpenError why;
  EXPECT_FALSE(FatVolume::Read({std::vector<uint8_t>(368640, 0), {}}, &why));
  EXPECT_EQ(why, FatOpenError::NoFatVolume);
}

}  // namespace
