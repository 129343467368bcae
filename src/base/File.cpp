#include "base/File.h"

#include <atomic>

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = other.file_;
    other.file_ = nullptr;
  }
  return *this;
}

bool File::Close() {
  if (!file_) return true;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

bool FileExists(const std::string& path) { return FileSize(path).has_value(); }

std::string TempPathBeside(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::string candidate = target + ".~dk" + std::to_string(counter++) + ".partial";
    if (!FileExists(candidate)) return candidate;
  }
}
