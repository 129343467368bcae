// Reading the self-extracting container: where its image stream starts, its settings block and texts.
#include "image/forms/SelfExtractor.h"

#include <cstring>
#include <vector>

#include "base/CodePage.h"

std::optional<SettingsBlock> ReadSettingsBlock(const std::string& path) {
  File file = File::Open(path, FileMode::Read);
  std::optional<uint64_t> size = file ? file.Size() : std::nullopt;
  constexpr int64_t kTail = kSettingsBlockBytes + kTrailerBytes;
  if (!size || *size < static_cast<uint64_t>(kTail) || !file.Seek(static_cast<int64_t>(*size) - kTail, SEEK_SET)) {
    return std::nullopt;
  }
  std::string block(kSettingsBlockBytes, '\0');
  if (file.Read(block.data(), block.size()) != block.size()) return std::nullopt;
  return ParseContainerBlock(block, static_cast<int64_t>(*size));
}

std::optional<std::string> ReadContainerText(const std::string& path, const ItemOffsets& item) {
  if (item.start < 0 || item.end < item.start) return std::nullopt;
  File file = File::Open(path, FileMode::Read);
  if (!file || !file.Seek(item.start, SEEK_SET)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(item.end - item.start), '\0');
  if (file.Read(bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
  return FromSystemCodePage(bytes);
}

int64_t FindImageStreamIn(const uint8_t* data, std::size_t size) {
  if (size < static_cast<std::size_t>(kBzip2SignatureBytes)) return -1;
  const std::string& signature = Bzip2Signature();
  for (std::size_t i = 0; i + kBzip2SignatureBytes <= size; ++i) {
    if (data[i] == static_cast<uint8_t>(signature[0]) && std::memcmp(data + i, signature.data(), kBzip2SignatureBytes) == 0) {
      return static_cast<int64_t>(i);
    }
  }
  return -1;
}

int64_t FindImageStream(const std::string& path) {
  File file = File::Open(path, FileMode::Read);
  if (!file) return -1;
  std::vector<uint8_t> head(static_cast<std::size_t>(kExeSearchBytes));
  std::size_t got = file.Read(head.data(), head.size());
  return FindImageStreamIn(head.data(), got);
}

int ExeHasImage(const std::string& path) { return FindImageStream(path) >= 0 ? 1 : 0; }
