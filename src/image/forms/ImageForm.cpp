#include "image/forms/ImageForm.h"

#include <cstring>
#include <vector>

#include "base/File.h"
#include "base/Strings.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithIgnoringCase(const std::string& path, std::string_view suffix) {
  if (path.size() < suffix.size()) return false;
  std::string_view end = std::string_view(path).substr(path.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (Lower(end[i]) != suffix[i]) return false;
  }
  return true;
}

}  // namespace

ImageForm FormOfPath(const std::string& path) {
  if (EndsWithIgnoringCase(path, ".img")) return ImageForm::Plain;
  if (EndsWithIgnoringCase(path, ".imz")) return ImageForm::Compressed;
  if (EndsWithIgnoringCase(path, ".exe")) return ImageForm::SelfExtracting;
  return ImageForm::Unknown;
}

bool OnFloppyDrive(const std::string& path) {
  return StartsWithIgnoringCase(path, "A:") || StartsWithIgnoringCase(path, "B:");
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
