#include "Fat12Floppy.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kSectorBytes = 512;
constexpr int kTotalSectors = 2880;
constexpr int kFatSectors = 9;
constexpr int kRootEntries = 224;
constexpr int kRootSectors = kRootEntries * 32 / kSectorBytes;
constexpr int kFirstDataSector = 1 + 2 * kFatSectors + kRootSectors;

class Random {
 public:
  explicit Random(uint32_t start) : state_(start) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  uint32_t Below(uint32_t n) { return Next() % n; }

 private:
  uint32_t state_;
};

// English-like prose from a small vocabulary, the way README and manual files read.
std::vector<uint8_t> Prose(Random& random, std::size_t bytes) {
  static const char* const kWords[] = {
      "the", "disk", "drive", "file", "setup", "install", "program", "system", "directory", "copy", "press",
      "any", "key", "to", "continue", "and", "of", "a", "is", "for", "with", "this", "version", "memory",
      "configuration", "printer", "driver", "windows", "network", "please", "insert", "next", "error", "read",
      "write", "sector", "boot", "user", "manual", "chapter", "table", "contents", "license", "agreement",
      "warranty", "software", "hardware", "you", "must", "not", "can", "will", "be", "in", "on", "if", "it"};
  constexpr uint32_t kCount = sizeof kWords / sizeof kWords[0];
  std::string text;
  int column = 0;
  while (text.size() < bytes) {
    int words = 4 + static_cast<int>(random.Below(12));
    for (int i = 0; i < words; ++i) {
      std::string word = kWords[random.Below(kCount)];
      if (i == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
      if (column + static_cast<int>(word.size()) > 72) {
        text += "\r\n";
        column = 0;
      } else if (i > 0 || column > 0) {
        text += ' ';
        ++column;
      }
      text += word;
      column += static_cast<int>(word.size());
    }
    text += random.Below(4) == 0 ? ".\r\n\r\n" : ".";
    if (text.ends_with("\r\n")) column = 0;
  }
  text.resize(bytes);
  return {text.begin(), text.end()};
}

// An MZ header, code made of common 16-bit instruction patterns, a string table, relocations and padding.
std::vector<uint8_t> Executable(Random& random, std::size_t bytes) {
  std::vector<uint8_t> out(bytes, 0);
  const uint8_t header[] = {0x4D, 0x5A, 0x90, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF};
  std::memcpy(out.data(), header, sizeof header);
  static const std::vector<std::vector<uint8_t>> kPatterns = {
      {0x55, 0x8B, 0xEC}, {0x5D, 0xC3}, {0xB8}, {0x8B, 0x46}, {0x89, 0x46}, {0xE8}, {0xCD, 0x21},
      {0x50}, {0x53}, {0x5B}, {0x58}, {0x3B, 0xC3}, {0x74}, {0x75}, {0xEB}, {0x83, 0xC4}, {0xFF, 0x76}};
  std::size_t code = bytes * 6 / 10;
  std::size_t at = 512;
  while (at + 8 < code) {
    const std::vector<uint8_t>& pattern = kPatterns[random.Below(static_cast<uint32_t>(kPatterns.size()))];
    for (uint8_t b : pattern) out[at++] = b;
    int operands = static_cast<int>(random.Below(3));
    for (int i = 0; i < operands; ++i) out[at++] = static_cast<uint8_t>(random.Below(4) == 0 ? random.Next() : random.Below(16));
  }
  std::vector<uint8_t> strings = Prose(random, (bytes - code) / 2);
  for (std::size_t i = 0; i < strings.size(); ++i) out[code + i] = strings[i] == ' ' ? 0 : strings[i];
  for (std::size_t i = code + strings.size(); i + 4 < bytes - 2048; i += 4) {
    uint32_t relocation = static_cast<uint32_t>(i * 3);
    std::memcpy(&out[i], &relocation, 4);
  }
  return out;
}

// Fixed-size records with counters, flags and short names: a database or a spreadsheet.
std::vector<uint8_t> Records(Random& random, std::size_t bytes) {
  std::vector<uint8_t> out;
  for (uint32_t n = 0; out.size() < bytes; ++n) {
    uint8_t record[32] = {};
    std::memcpy(record, &n, 4);
    record[4] = static_cast<uint8_t>(random.Below(3));
    std::string name = "ITEM" + std::to_string(random.Below(500));
    std::memcpy(record + 8, name.data(), name.size());
    uint32_t amount = random.Below(100000);
    std::memcpy(record + 24, &amount, 4);
    out.insert(out.end(), record, record + sizeof record);
  }
  out.resize(bytes);
  return out;
}

void SetFatEntry(std::vector<uint8_t>& image, int cluster, int value) {
  for (int copy = 0; copy < 2; ++copy) {
    uint8_t* fat = image.data() + (1 + copy * kFatSectors) * kSectorBytes;
    int offset = cluster * 3 / 2;
    if (cluster % 2 == 0) {
      fat[offset] = static_cast<uint8_t>(value & 0xFF);
      fat[offset + 1] = static_cast<uint8_t>((fat[offset + 1] & 0xF0) | ((value >> 8) & 0x0F));
    } else {
      fat[offset] = static_cast<uint8_t>((fat[offset] & 0x0F) | ((value << 4) & 0xF0));
      fat[offset + 1] = static_cast<uint8_t>((value >> 4) & 0xFF);
    }
  }
}

// A formatted, empty 1.44 MB floppy.
std::vector<uint8_t> BlankFloppy() {
  std::vector<uint8_t> image(kTotalSectors * kSectorBytes, 0);
  const uint8_t boot[] = {0xEB, 0x3C, 0x90, 'M', 'S', 'D', 'O', 'S', '5', '.', '0', 0x00, 0x02, 0x01, 0x01, 0x00,
                          0x02, 0xE0, 0x00, 0x40, 0x0B, 0xF0, 0x09, 0x00, 0x12, 0x00, 0x02, 0x00};
  std::memcpy(image.data(), boot, sizeof boot);
  std::memcpy(image.data() + 0x2B, "DISKELLE   FAT12   ", 19);
  image[510] = 0x55;
  image[511] = 0xAA;
  SetFatEntry(image, 0, 0xFF0);
  SetFatEntry(image, 1, 0xFFF);
  return image;
}

// A folder entry at entry: name (8.3, padded), attributes, first cluster and size; written 2002-12-07 10:30.
void PutEntry(uint8_t* entry, const char* name, uint8_t attributes, int cluster, uint32_t size) {
  std::memcpy(entry, name, 11);
  entry[11] = attributes;
  const uint16_t time = 10 << 11 | 30 << 5, date = (2002 - 1980) << 9 | 12 << 5 | 7;
  const uint16_t first = static_cast<uint16_t>(cluster);
  std::memcpy(entry + 22, &time, 2);
  std::memcpy(entry + 24, &date, 2);
  std::memcpy(entry + 26, &first, 2);
  std::memcpy(entry + 28, &size, 4);
}

}  // namespace

std::vector<uint8_t> MakeFat12Tree(int folders, int filesPerFolder, std::size_t fileBytes) {
  std::vector<uint8_t> image = BlankFloppy();
  int next = 2;
  // bytes in fresh clusters, chained; the first cluster's data, or nullptr for nothing.
  auto allocate = [&](std::size_t bytes, int& first) -> uint8_t* {
    const int clusters = static_cast<int>((bytes + kSectorBytes - 1) / kSectorBytes);
    first = clusters == 0 ? 0 : next;
    for (int c = 0; c < clusters; ++c) SetFatEntry(image, next + c, c + 1 < clusters ? next + c + 1 : 0xFFF);
    next += clusters;
    return clusters == 0 ? nullptr : image.data() + (kFirstDataSector + first - 2) * kSectorBytes;
  };
  Random random(19991231);
  uint8_t* root = image.data() + (1 + 2 * kFatSectors) * kSectorBytes;
  char name[16];
  for (int f = 0; f < folders; ++f) {
    int folderCluster = 0;
    uint8_t* folder = allocate((filesPerFolder + 2) * 32, folderCluster);
    std::snprintf(name, sizeof name, "DIR%05d   ", f + 1);
    PutEntry(root + f * 32, name, 0x10, folderCluster, 0);
    PutEntry(folder, ".          ", 0x10, folderCluster, 0);
    PutEntry(folder + 32, "..         ", 0x10, 0, 0);
    for (int i = 0; i < filesPerFolder; ++i) {
      int fileCluster = 0;
      std::vector<uint8_t> data = Prose(random, fileBytes);
      if (uint8_t* at = allocate(fileBytes, fileCluster)) std::memcpy(at, data.data(), data.size());
      std::snprintf(name, sizeof name, "F%07dTXT", i + 1);
      PutEntry(folder + (i + 2) * 32, name, 0x20, fileCluster, static_cast<uint32_t>(fileBytes));
    }
  }
  return image;
}

std::vector<uint8_t> MakeFat12Floppy() {
  std::vector<uint8_t> image = BlankFloppy();

  Random random(20021207);
  struct Entry {
    const char* name;  // 8.3, padded
    std::vector<uint8_t> data;
  };
  std::vector<Entry> files;
  files.push_back({"README  TXT", Prose(random, 42000)});
  files.push_back({"MANUAL  TXT", Prose(random, 180000)});
  files.push_back({"SETUP   EXE", Executable(random, 260000)});
  files.push_back({"DRIVER  SYS", Executable(random, 70000)});
  files.push_back({"PRICES  DAT", Records(random, 120000)});
  files.push_back({"LICENSE TXT", Prose(random, 16000)});
  files.push_back({"INSTALL BAT", Prose(random, 1200)});

  int cluster = 2;
  uint8_t* root = image.data() + (1 + 2 * kFatSectors) * kSectorBytes;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const Entry& file = files[i];
    uint8_t* entry = root + i * 32;
    std::memcpy(entry, file.name, 11);
    entry[11] = 0x20;
    uint16_t first = static_cast<uint16_t>(cluster);
    std::memcpy(entry + 26, &first, 2);
    uint32_t size = static_cast<uint32_t>(file.data.size());
    std::memcpy(entry + 28, &size, 4);
    int clusters = static_cast<int>((file.data.size() + kSectorBytes - 1) / kSectorBytes);
    std::memcpy(image.data() + (kFirstDataSector + cluster - 2) * kSectorBytes, file.data.data(), file.data.size());
    for (int c = 0; c < clusters; ++c) SetFatEntry(image, cluster + c, c + 1 < clusters ? cluster + c + 1 : 0xFFF);
    cluster += clusters;
  }
  return image;
}
