#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "base/File.h"

namespace {

const char* ModeString(FileMode mode) {
  switch (mode) {
    case FileMode::Read: return "rb";
    case FileMode::Create: return "wb";
    case FileMode::Update: return "r+b";
    case FileMode::Append: return "ab";
  }
  return "rb";
}

}  // namespace

File File::Open(const std::string& path, FileMode mode) {
  std::FILE* file = std::fopen(path.c_str(), ModeString(mode));
  if (file) {
    struct stat info {};
    if (::fstat(::fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
      std::fclose(file);
      file = nullptr;
    }
  }
  return File(file);
}

bool File::Seek(int64_t offset, int whence) { return ::fseeko(file_, static_cast<off_t>(offset), whence) == 0; }

int64_t File::Tell() const { return static_cast<int64_t>(::ftello(file_)); }

std::optional<uint64_t> File::Size() const {
  struct stat info {};
  if (::fstat(::fileno(file_), &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

std::optional<uint64_t> FileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

namespace {

bool SyncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

}  // namespace

bool RenameOver(const std::string& from, const std::string& to) {
  // The data must be on the disk before the name points at it, or a power cut could leave the user with
  // an empty file under the old name.
  if (!SyncPath(from, O_RDONLY)) return false;
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  std::size_t slash = to.rfind('/');
  SyncPath(slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash), O_RDONLY | O_DIRECTORY);
  return true;
}

bool TruncateFile(const std::string& path, uint64_t size) {
  return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

std::string OwnProgramPath() {
  char buffer[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}
