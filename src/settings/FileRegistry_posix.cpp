#include "settings/FileRegistry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "base/File.h"
#include "base/Win32Codes.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The file's text, up to one chunk beyond limit (a longer file is no hive).
std::optional<std::string> ReadText(File& file, std::size_t limit) {
  std::string text;
  char chunk[65536];
  for (std::size_t got; text.size() <= limit && (got = file.Read(chunk, sizeof chunk)) > 0;) text.append(chunk, got);
  if (std::ferror(file.get())) return std::nullopt;
  return text;
}

class LockFile {
 public:
  explicit LockFile(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~LockFile() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace

FileRegistry::FileRegistry(std::string path, DamageReport onDamaged)
    : path_(std::move(path)), onDamaged_(std::move(onDamaged)) {}

std::string FileRegistry::DefaultPath() {
  std::string explicitPath = Env("DISKELLE_REGISTRY");
  if (!explicitPath.empty()) return explicitPath;
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') {
    std::string home = Env("HOME");
    if (home.empty()) {
      if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir;
    }
    config = home + "/.config";
  }
  return config + "/diskelle/registry.reg";
}

RegistryHive& FileRegistry::Load() {
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0) {
    // Keys opened while there is no file live on in memory; a file that went away takes its keys along.
    if (!hive_ || loadedFrom_) hive_.emplace();
    loadedFrom_.reset();
    return *hive_;
  }
  FileIdentity identity{static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino),
                        static_cast<unsigned long long>(info.st_size),
                        static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
  if (hive_ && loadedFrom_ == identity) return *hive_;

  // One open file for the text and for a copy of it: another process may replace the file meanwhile.
  File file = File::Open(path_, FileMode::Read);
  std::optional<std::string> text = file ? ReadText(file, RegistryHive::kMaxTextBytes) : std::nullopt;
  std::optional<RegistryHive> parsed = text ? RegistryHive::Parse(*text) : std::nullopt;
  if (parsed) {
    hive_ = std::move(parsed);
    damagedFileUnsaved_ = false;
  } else {
    hive_.emplace();
    if (text) KeepDamagedCopy(file);
  }
  loadedFrom_ = identity;
  return *hive_;
}

void FileRegistry::KeepDamagedCopy(File& damaged) {
  // An exact copy under a name of its own: an earlier damaged copy is never overwritten, a large file never cut.
  std::string copy;
  damagedFileUnsaved_ = true;
  for (int number = 1; number <= kMaxDamagedCopies && damagedFileUnsaved_; ++number) {
    copy = path_ + ".bad";
    if (number > 1) {
      copy += '.';
      copy += std::to_string(number);
    }
    if (FileExists(copy)) continue;
    damagedFileUnsaved_ = !CopyToNewFile(damaged, copy);
  }
  if (!damageReported_ && onDamaged_) onDamaged_(path_, damagedFileUnsaved_ ? std::string() : copy);
  damageReported_ = true;
}

bool FileRegistry::Save(const RegistryHive& hive) {
  if (damagedFileUnsaved_) return false;
  std::string text = hive.Serialize();
  return SaveWholeFile(path_, text.data(), text.size()) == FileSave::Start::Ready;
}

long FileRegistry::Inspect(const std::function<long(const RegistryHive&)>& read) {
  std::lock_guard guard(mutex_);
  return read(Load());
}

long FileRegistry::Change(const std::function<long(RegistryHive&)>& change) {
  std::lock_guard guard(mutex_);
  // Without a settings file, a change that stores no value (the keys a run opens to read its settings) stays
  // in memory: a run that only reads leaves no file, lock or folder behind. It is tried on a copy, so that a
  // change that stores a value is made once, on the state found under the lock.
  struct stat link {};
  if (::lstat(path_.c_str(), &link) != 0 && errno == ENOENT) {
    std::optional<RegistryHive> trial = RegistryHive::Parse(Load().Serialize());
    long result = trial ? change(*trial) : kErrorSuccess;
    if (result != kErrorSuccess) return result;
    if (trial && !trial->HoldsValues()) {
      hive_ = std::move(trial);
      return kErrorSuccess;
    }
  }
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
  // The lock lies beside the file the save replaces, and only beside a regular file: a device or FIFO named as
  // the settings file is never saved to, and nothing is created beside it (/dev/null.lock).
  std::string target = ResolveLinks(path_);
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return kErrorRegistryIoFailed;
  LockFile lock(target + ".lock");
  if (!lock.Held()) return kErrorRegistryIoFailed;
  RegistryHive& hive = Load();
  long result = change(hive);
  if (result != kErrorSuccess) return result;
  if (!Save(hive)) {
    hive_.reset();  // the change did not reach the file: forget it
    loadedFrom_.reset();
    return kErrorRegistryIoFailed;
  }
  return kErrorSuccess;
}
