#include "image/forms/ZipImage.h"

#include <optional>

#include "base/LittleEndian.h"
#include "image/trailer/Crc32.h"
#include "image/forms/RawDeflate.h"

namespace {

constexpr uint32_t kLocalHeaderTag = 0x04034B50;
constexpr uint32_t kCentralEntryTag = 0x02014B50;
constexpr uint32_t kEndRecordTag = 0x06054B50;
constexpr uint32_t kZip64LocatorTag = 0x07064B50;
constexpr uint32_t kDescriptorTag = 0x08074B50;

constexpr std::size_t kEndRecordBytes = 22;
constexpr std::size_t kZip64LocatorBytes = 20;
constexpr std::size_t kCentralEntryBytes = 46;
constexpr std::size_t kLocalHeaderBytes = 30;
constexpr std::size_t kLongestComment = 0xFFFF;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDescriptor = 0x0008;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
// Sizes and counts at their largest stand for values kept in zip64 fields.
constexpr uint32_t kZip64Marker32 = 0xFFFFFFFF;
constexpr uint16_t kZip64Marker16 = 0xFFFF;

// The archive's bytes with every read checked against their end.
class Bytes {
 public:
  Bytes(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Size() const { return size_; }
  bool Has(std::size_t at, std::size_t count) const { return at <= size_ && count <= size_ - at; }
  uint16_t U16(std::size_t at) const { return GetLe16(data_ + at); }
  uint32_t U32(std::size_t at) const { return GetLe32(data_ + at); }
  const uint8_t* At(std::size_t at) const { return data_ + at; }

 private:
  const uint8_t* data_;
  std::size_t size_;
};

struct Entry {
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc = 0;
  uint32_t packedBytes = 0;
  uint32_t bytes = 0;
  uint32_t localOffset = 0;
};

struct Directory {
  std::size_t offset = 0;
  std::size_t bytes = 0;
  uint16_t entries = 0;
};

// The end record whose comment reaches exactly to the end of the archive, searched backwards over the
// longest comment there can be; a record of a split or zip64 archive is refused.
std::optional<Directory> FindDirectory(const Bytes& zip) {
  if (zip.Size() < kEndRecordBytes) return std::nullopt;
  std::size_t last = zip.Size() - kEndRecordBytes;
  std::size_t first = last > kLongestComment ? last - kLongestComment : 0;
  for (std::size_t at = last + 1; at-- > first;) {
    if (zip.U32(at) != kEndRecordTag || at + kEndRecordBytes + zip.U16(at + 20) != zip.Size()) continue;
    uint16_t disk = zip.U16(at + 4), directoryDisk = zip.U16(at + 6);
    uint16_t entriesHere = zip.U16(at + 8), entries = zip.U16(at + 10);
    uint32_t bytes = zip.U32(at + 12), offset = zip.U32(at + 16);
    if (disk != 0 || directoryDisk != 0 || entriesHere != entries) return std::nullopt;
    if (entries == kZip64Marker16 || bytes == kZip64Marker32 || offset == kZip64Marker32) return std::nullopt;
    if (at >= kZip64LocatorBytes && zip.U32(at - kZip64LocatorBytes) == kZip64LocatorTag) return std::nullopt;
    // The directory lies between the entries' data and the end record.
    if (offset > at || bytes > at - offset) return std::nullopt;
    return Directory{offset, bytes, entries};
  }
  return std::nullopt;
}

// The one file entry of the directory; folders (names ending in "/", holding nothing) are passed over.
std::optional<Entry> FindSingleFile(const Bytes& zip, const Directory& directory) {
  std::size_t end = directory.offset + directory.bytes;
  auto within = [end](std::size_t at, std::size_t count) { return at <= end && count <= end - at; };
  std::optional<Entry> found;
  std::size_t at = directory.offset;
  for (uint16_t i = 0; i < directory.entries; ++i) {
    if (!within(at, kCentralEntryBytes) || zip.U32(at) != kCentralEntryTag) return std::nullopt;
    std::size_t nameBytes = zip.U16(at + 28);
    std::size_t rest = nameBytes + zip.U16(at + 30) + zip.U16(at + 32);
    if (!within(at + kCentralEntryBytes, rest)) return std::nullopt;
    if (zip.U16(at + 34) != 0) return std::nullopt;  // starts on another disk
    Entry entry;
    entry.flags = zip.U16(at + 8);
    entry.method = zip.U16(at + 10);
    entry.crc = zip.U32(at + 16);
    entry.packedBytes = zip.U32(at + 20);
    entry.bytes = zip.U32(at + 24);
    entry.localOffset = zip.U32(at + 42);
    bool folder = nameBytes > 0 && *zip.At(at + kCentralEntryBytes + nameBytes - 1) == '/';
    at += kCentralEntryBytes + rest;
    if (folder && entry.bytes == 0) continue;
    if (found) return std::nullopt;
    found = entry;
  }
  if (at != end) return std::nullopt;
  return found;
}

// Where the entry's packed data starts, after its local header, which must agree with the directory.
std::optional<std::size_t> DataStart(const Bytes& zip, const Entry& entry, std::size_t directoryOffset) {
  std::size_t at = entry.localOffset;
  if (!zip.Has(at, kLocalHeaderBytes) || zip.U32(at) != kLocalHeaderTag) return std::nullopt;
  // Tools differ in the other flag bits of the two headers; these change how the data is read.
  constexpr uint16_t kReadingFlags = kFlagEncrypted | kFlagDescriptor | kFlagStrongEncryption;
  if ((zip.U16(at + 6) & kReadingFlags) != (entry.flags & kReadingFlags) || zip.U16(at + 8) != entry.method) {
    return std::nullopt;
  }
  bool sizesHere = !(entry.flags & kFlagDescriptor);
  if (sizesHere && (zip.U32(at + 14) != entry.crc || zip.U32(at + 18) != entry.packedBytes ||
                    zip.U32(at + 22) != entry.bytes)) {
    return std::nullopt;
  }
  std::size_t start = at + kLocalHeaderBytes + zip.U16(at + 26) + zip.U16(at + 28);
  if (start > directoryOffset || entry.packedBytes > directoryOffset - start) return std::nullopt;
  return start;
}

// A data descriptor behind the data (with or without its tag) states what the directory does.
bool DescriptorAgrees(const Bytes& zip, const Entry& entry, std::size_t at, std::size_t directoryOffset) {
  auto within = [directoryOffset](std::size_t from, std::size_t count) {
    return from <= directoryOffset && count <= directoryOffset - from;
  };
  if (within(at, 4) && zip.U32(at) == kDescriptorTag) at += 4;
  return within(at, 12) && zip.U32(at) == entry.crc && zip.U32(at + 4) == entry.packedBytes &&
         zip.U32(at + 8) == entry.bytes;
}

}  // namespace

bool StartsWithZipSignature(const uint8_t* data, std::size_t size) {
  return size >= kZipSignatureBytes && Bytes(data, size).U32(0) == kLocalHeaderTag;
}

ZipUnpack UnpackSingleFileZip(const uint8_t* data, std::size_t size, std::size_t largestFile,
                              std::vector<uint8_t>& out) {
  out.clear();
  Bytes zip(data, size);
  std::optional<Directory> directory = FindDirectory(zip);
  if (!directory) return ZipUnpack::Damaged;
  std::optional<Entry> entry = FindSingleFile(zip, *directory);
  if (!entry) return ZipUnpack::Damaged;
  if (entry->flags & (kFlagEncrypted | kFlagStrongEncryption)) return ZipUnpack::Damaged;
  if (entry->method != kMethodStored && entry->method != kMethodDeflated) return ZipUnpack::Damaged;
  if (entry->packedBytes == kZip64Marker32 || entry->bytes == kZip64Marker32) return ZipUnpack::Damaged;
  if (entry->bytes > largestFile) return ZipUnpack::TooLarge;
  std::optional<std::size_t> start = DataStart(zip, *entry, directory->offset);
  if (!start) return ZipUnpack::Damaged;
  bool descriptor = (entry->flags & kFlagDescriptor) != 0;
  if (descriptor && !DescriptorAgrees(zip, *entry, *start + entry->packedBytes, directory->offset)) {
    return ZipUnpack::Damaged;
  }
  const uint8_t* packed = zip.At(*start);
  bool unpacked = false;
  if (entry->method == kMethodStored) {
    unpacked = entry->packedBytes == entry->bytes;
    if (unpacked) out.assign(packed, packed + entry->bytes);
  } else {
    out.resize(entry->bytes);
    unpacked = InflateRaw(packed, entry->packedBytes, out.data(), out.size());
  }
  Crc32 crc;
  crc.Update(out.data(), out.size());
  if (!unpacked || crc.Value() != entry->crc) {
    out.clear();
    return ZipUnpack::Damaged;
  }
  return ZipUnpack::Unpacked;
}
