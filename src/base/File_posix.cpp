#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "base/File.h"
#include "base/FileSystem.h"

const char* const kPathSeparators = "/";

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

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

File File::Open(const std::string& path, FileMode mode) {
  if (mode == FileMode::Read) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer forever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd < 0) return File();
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
      ::close(fd);
      return File();
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return File(file);
  }
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

bool File::SeekStream(int64_t offset, int whence) { return ::fseeko(file_, static_cast<off_t>(offset), whence) == 0; }

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
  if (::stat(path.c_str(), &info) != 0) return false;
  // The mode bits count even for root, who may write anything: a file nobody may write is read-only.
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool TruncateFile(const std::string& path, uint64_t size) {
  return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    char target[PATH_MAX];
    ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
    if (length <= 0) return current;
    std::string next(target, static_cast<std::size_t>(length));
    current = next[0] == '/' ? next : FolderOf(current) + "/" + next;
  }
  return current;  // a loop: whatever is created there fails with its own error
}

NameUse UseOfName(const std::string& path, FileError* error) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return NameUse::Free;
    if (error) *error = CurrentFileError();
    return NameUse::Other;
  }
  return S_ISREG(info.st_mode) ? NameUse::RegularFile : NameUse::Other;
}

FolderMade MakeFolder(const std::string& path, FileError* error) {
  if (::mkdir(path.c_str(), 0777) == 0) return FolderMade::Made;
  const FileError why = CurrentFileError();
  struct stat info {};
  if (errno != EEXIST || ::lstat(path.c_str(), &info) != 0) {
    if (error) *error = why;
    return FolderMade::Failed;
  }
  return S_ISDIR(info.st_mode) ? FolderMade::Existed : S_ISLNK(info.st_mode) ? FolderMade::Link : FolderMade::Taken;
}

bool DeviceName(const std::string&) { return false; }

FolderAccess AccessOfFolder(const std::string& path) {
  if (::access(path.c_str(), W_OK | X_OK) == 0) return FolderAccess::Writable;
  return errno == EROFS ? FolderAccess::ReadOnlyVolume : FolderAccess::Denied;
}

bool SetModificationTime(const std::string& path, const LocalTime& time) {
  std::tm calendar{};
  calendar.tm_year = time.year - 1900;
  calendar.tm_mon = time.month - 1;
  calendar.tm_mday = time.day;
  calendar.tm_hour = time.hour;
  calendar.tm_min = time.minute;
  calendar.tm_sec = time.second;
  calendar.tm_isdst = -1;
  std::time_t seconds = std::mktime(&calendar);
  if (seconds == static_cast<std::time_t>(-1)) return false;
  const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

std::string OwnProgramPath() {
  char buffer[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// --- FileSystem.h ----------------------------------------------------------------------------------------

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

bool ProcessRunning(unsigned long id) {
  if (id == 0 || id > static_cast<unsigned long>(INT_MAX)) return true;
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* opened = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!opened) return names;
  while (const dirent* entry = ::readdir(opened)) names.emplace_back(entry->d_name);
  ::closedir(opened);
  return names;
}

FileError CurrentFileError() {
  switch (errno) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return FileError::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS: return FileError::Denied;
    case ENAMETOOLONG: return FileError::NameTooLong;
    case EEXIST: return FileError::Exists;
    default: return FileError::Other;
  }
}

PathKind KindOfPath(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT ? PathKind::Missing : PathKind::Other;
  return S_ISREG(info.st_mode) ? PathKind::Regular : PathKind::Other;
}

CreateResult CreateNewFile(const std::string& path, std::FILE*& file, FileError& error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return CreateResult::Exists;
    error = CurrentFileError();
    return CreateResult::Failed;
  }
  file = ::fdopen(fd, "wb");
  if (!file) {
    error = CurrentFileError();
    ::close(fd);
    ::unlink(path.c_str());
    return CreateResult::Failed;
  }
  return CreateResult::Created;
}

bool SyncOpenFile(std::FILE* file, FileError& error) {
  if (std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0) {
    error = CurrentFileError();
    return false;
  }
  return true;
}

bool SyncClosedFile(const std::string& path, FileError& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  bool synced = fd >= 0 && ::fsync(fd) == 0;
  if (!synced) error = CurrentFileError();
  if (fd >= 0) ::close(fd);
  return synced;
}

void CopyModeAndOwner(const std::string& model, const std::string& file) {
  struct stat info {};
  if (::stat(model.c_str(), &info) != 0) return;
  // The owner first: changing it may clear set-id bits that the mode then puts back. Only root and the
  // owner's own groups may change it; elsewhere the file stays the saver's.
  if (::lchown(file.c_str(), info.st_uid, info.st_gid) != 0) {
    [[maybe_unused]] int ignored = ::lchown(file.c_str(), static_cast<uid_t>(-1), info.st_gid);
  }
  ::chmod(file.c_str(), info.st_mode & 07777);
}

bool RenameOver(const std::string& from, const std::string& to, FileError& error) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  error = CurrentFileError();
  return false;
}

PlaceResult RenameNoReplace(const std::string& from, const std::string& to, FileError& error) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return PlaceResult::Placed;
  if (errno == EEXIST) return PlaceResult::Exists;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP) {
    error = CurrentFileError();
    return PlaceResult::Failed;
  }
  // A file system without it: a second link fails where the name is taken.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return PlaceResult::Placed;
  }
  if (errno == EEXIST) return PlaceResult::Exists;
  if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == EMLINK) return PlaceResult::Unsupported;
  error = CurrentFileError();
  return PlaceResult::Failed;
}

void SyncFolderOf(const std::string& path) {
  int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void HoldSaveForTest(const std::string& target) {
  const char* held = std::getenv("DISKELLE_HOLD_SAVE");
  if (held && target == held) ::raise(SIGSTOP);
}

void RemoveFileNow(const char* path) { ::unlink(path); }

// --- DeferredSync -------------------------------------------------------------------------------------

DeferredSync::~DeferredSync() {
  for (const auto& [device, fd] : volumes_) ::close(fd);
}

void DeferredSync::Watch(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return;
  for (const auto& [device, fd] : volumes_) {
    if (device == static_cast<uint64_t>(info.st_dev)) return;
  }
  // Opened before anything is written: syncfs reports the write-back errors seen since then.
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) volumes_.emplace_back(static_cast<uint64_t>(info.st_dev), fd);
}

void DeferredSync::Add(const std::string&) {}

bool DeferredSync::Finish(FileError* error) {
  bool synced = true;
  for (const auto& [device, fd] : volumes_) {
    if (::syncfs(fd) != 0 && synced) {
      synced = false;
      if (error) *error = CurrentFileError();
    }
    ::close(fd);
  }
  volumes_.clear();
  return synced;
}

// --- FileLock ---------------------------------------------------------------------------------------------

FileLock::Result FileLock::Acquire(const std::string& path) {
  Release();
  // The holder may rename a new file over the one we opened: a lock on a file that no longer has the name
  // would guard nothing, so try again on the file the name has now.
  for (int attempt = 0; attempt < 20; ++attempt) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? Result::Missing : Result::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      bool busy = errno == EWOULDBLOCK;
      ::close(fd);
      return busy ? Result::Busy : Result::Failed;
    }
    struct stat held {}, named {};
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      handle_ = fd;
      return Result::Locked;
    }
    ::close(fd);
  }
  return Result::Busy;
}

bool FileLock::Commit(FileSave& save) {
  // The lock belongs to the file, not to its name: lock the new file before it takes the name.
  FileLock next;
  if (next.Acquire(save.TempPath()) != Result::Locked || !save.Commit()) return false;
  *this = std::move(next);
  return true;
}

void FileLock::Release() {
  if (handle_ == kNone) return;
  ::close(static_cast<int>(handle_));  // closing releases the lock
  handle_ = kNone;
}
