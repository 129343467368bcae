#include "base/File.h"

#include <atomic>
#include <cstring>
#include <string_view>
#include <utility>

#include "base/FileSystem.h"
#include "base/RandomBits.h"

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = other.file_;
    watcher_ = other.watcher_;
    other.file_ = nullptr;
    other.watcher_ = nullptr;
  }
  return *this;
}

bool File::Close() {
  watcher_ = nullptr;
  if (!file_) return true;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

bool File::Seek(int64_t offset, int whence) {
  if (!SeekStream(offset, whence)) return false;
  if (watcher_) watcher_->Moved(Tell());
  return true;
}

bool FileExists(const std::string& path) { return FileSize(path).has_value(); }

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = other.handle_;
    other.handle_ = kNone;
  }
  return *this;
}

// --- temporary files of saves in progress -------------------------------------------------------------

namespace {

// Fixed slots, so that a signal handler can walk them without locks or allocation. The paths' room is
// allocated by the first save, not kept in the program file (MinGW stores zero-filled tables there, and the
// self-extractor must stay small).
struct UnfinishedSave {
  std::atomic<bool> taken{false};
  std::atomic<bool> live{false};
};
constexpr int kUnfinishedSlots = 64;
using PathSlot = char[4096];
UnfinishedSave unfinished[kUnfinishedSlots];
std::atomic<PathSlot*> unfinishedPaths{nullptr};

PathSlot* UnfinishedPaths() {
  // Left uncleared: a slot is read only once its path is in it, and clearing 256 KB costs every save a
  // page fault per 4 KB.
  static PathSlot* paths = new PathSlot[kUnfinishedSlots];
  unfinishedPaths.store(paths, std::memory_order_release);
  return paths;
}

int RegisterUnfinished(const std::string& path) {
  if (path.size() >= sizeof(PathSlot)) return -1;
  PathSlot* paths = UnfinishedPaths();
  for (int i = 0; i < kUnfinishedSlots; ++i) {
    bool expected = false;
    if (!unfinished[i].taken.compare_exchange_strong(expected, true)) continue;
    std::memcpy(paths[i], path.c_str(), path.size() + 1);
    unfinished[i].live.store(true, std::memory_order_release);
    return i;
  }
  return -1;
}

void UnregisterUnfinished(const std::string& path) {
  PathSlot* paths = unfinishedPaths.load(std::memory_order_acquire);
  for (int i = 0; paths && i < kUnfinishedSlots; ++i) {
    UnfinishedSave& slot = unfinished[i];
    if (slot.live.load(std::memory_order_acquire) && path == paths[i]) {
      slot.live.store(false, std::memory_order_release);
      slot.taken.store(false, std::memory_order_release);
      return;
    }
  }
}

std::string RandomTag() {
  uint64_t x = RandomBits();
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string tag;
  for (int i = 0; i < 8; ++i, x /= 36) tag += kDigits[x % 36];
  return tag;
}

// Temporary files of target are "<folder><name>.~dk<process>-<random>.partial": short whatever the target's
// length (a name of 255 bytes must still get one), never ending in an image extension, and telling which
// process made them. first: the folder; second: the name up to the process number.
constexpr std::string_view kTempMark = ".~dk";
constexpr std::string_view kTempEnd = ".partial";

std::pair<std::string, std::string> TempNameParts(const std::string& target) {
  std::size_t separator = target.find_last_of(kPathSeparators);
  std::string folder = separator == std::string::npos ? std::string() : target.substr(0, separator + 1);
  std::string name = separator == std::string::npos ? target : target.substr(separator + 1);
  constexpr std::size_t kKeptNameBytes = 64;
  if (name.size() > kKeptNameBytes) {
    std::size_t cut = kKeptNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
    name.resize(cut);
  }
  return {folder, name + std::string(kTempMark)};
}

std::string TempNameBeside(const std::string& target) {
  auto [folder, prefix] = TempNameParts(target);
  return folder + prefix + std::to_string(CurrentProcessId()) + "-" + RandomTag() + std::string(kTempEnd);
}

// Whether entry (a name in a folder) is a temporary file beginning with prefix whose process no longer runs.
bool AbandonedSave(const std::string& entry, const std::string& prefix) {
  if (!entry.starts_with(prefix) || !entry.ends_with(kTempEnd)) return false;
  std::string_view rest = std::string_view(entry).substr(prefix.size());
  std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 ||
      rest.substr(0, dash).find_first_not_of("0123456789") != std::string_view::npos) {
    return false;
  }
  return !ProcessRunning(std::stoul(std::string(rest.substr(0, dash))));
}

// Temporary files of target that a process left when it was killed outright (no handler runs then).
void RemoveAbandonedSaves(const std::string& target) {
  auto [folder, prefix] = TempNameParts(target);
  for (const std::string& entry : FolderEntries(folder)) {
    if (AbandonedSave(entry, prefix)) RemoveFile(folder + entry);
  }
}

}  // namespace

void RemoveAbandonedSavesIn(const std::string& folder) {
  const std::string prefixed = folder.empty() || folder.find_last_of(kPathSeparators) == folder.size() - 1
                                   ? folder
                                   : folder + "/";
  for (const std::string& entry : FolderEntries(prefixed)) {
    const std::size_t mark = entry.rfind(kTempMark);
    if (mark != std::string::npos && AbandonedSave(entry, entry.substr(0, mark + kTempMark.size()))) {
      RemoveFile(prefixed + entry);
    }
  }
}

void RemoveUnfinishedSaves() {
  PathSlot* paths = unfinishedPaths.load(std::memory_order_acquire);
  for (int i = 0; paths && i < kUnfinishedSlots; ++i) {
    if (unfinished[i].live.load(std::memory_order_acquire)) RemoveFileNow(paths[i]);
  }
}

// --- saving -------------------------------------------------------------------------------------------

FileSave::Start FileSave::Refusal(const std::string& target, Placing placing) {
  error_ = FileError::None;
  placing_ = placing;
  modified_.reset();
  if (placing == Placing::Replace) {
    target_ = ResolveLinks(target);
    switch (KindOfPath(target_)) {
      case PathKind::Other: return Start::NotRegular;
      case PathKind::Regular:
        if (IsReadOnlyFile(target_)) return Start::ReadOnly;
        break;
      case PathKind::Missing: break;
    }
  } else {
    // The name itself: a link there is something that has the name, never a way elsewhere.
    target_ = target;
    switch (UseOfName(target_, &error_)) {
      case NameUse::Free: break;
      case NameUse::RegularFile:
        if (placing == Placing::New) return error_ = FileError::Exists, Start::CannotCreate;
        if (IsReadOnlyFile(target_)) return Start::ReadOnly;
        break;
      case NameUse::Other:
        if (error_ != FileError::None) return Start::CannotCreate;
        error_ = FileError::Exists;
        return placing == Placing::New ? Start::CannotCreate : Start::NotRegular;
    }
  }
  return Start::Ready;
}

FileSave::Start FileSave::Check(const std::string& target, Placing placing) {
  FileSave check;
  const Start refused = check.Refusal(target, placing);
  if (refused != Start::Ready) return refused;
  const std::string folder = TempNameParts(check.target_).first;
  return AccessOfFolder(folder.empty() ? "." : folder) == FolderAccess::Writable ? Start::Ready : Start::CannotCreate;
}

FileSave::Start FileSave::Begin(const std::string& target, Placing placing) {
  Abandon();
  const Start refused = Refusal(target, placing);
  if (refused != Start::Ready) return refused;
  if (placing == Placing::Replace) RemoveAbandonedSaves(target_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = TempNameBeside(target_);
    // Registered before it exists: a signal between the two must not leave it behind.
    int slot = RegisterUnfinished(candidate);
    std::FILE* opened = nullptr;
    CreateResult created = CreateNewFile(candidate, opened, error_);
    if (created == CreateResult::Created) {
      temp_ = candidate;
      file_ = File(opened);
      HoldSaveForTest(target_);
      return Start::Ready;
    }
    if (slot >= 0) UnregisterUnfinished(candidate);
    if (created == CreateResult::Failed) return Start::CannotCreate;
  }
  error_ = FileError::Other;
  return Start::CannotCreate;
}

bool FileSave::Commit() {
  if (temp_.empty()) return false;
  const bool replace = placing_ == Placing::Replace;
  bool ok = !file_ || !replace || SyncOpenFile(file_.get(), error_);
  if (ok && !file_ && replace) ok = SyncClosedFile(temp_, error_);
  if (!file_.Close() && ok) {
    ok = false;
    error_ = CurrentFileError();
  }
  if (ok && replace && KindOfPath(target_) == PathKind::Regular) CopyModeAndOwner(target_, temp_);
  if (ok && modified_) SetModificationTime(temp_, *modified_);
  if (ok) HoldSaveForTest(target_);
  if (ok && !Place()) ok = false;
  if (!ok) {
    Abandon();
    return false;
  }
  if (replace) SyncFolderOf(target_);
  UnregisterUnfinished(temp_);
  temp_.clear();
  return true;
}

bool FileSave::Place() {
  if (placing_ == Placing::Replace) return RenameOver(temp_, target_, error_);
  // For NewOrFile, a name that another process takes or frees meanwhile is looked at again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (placing_ == Placing::NewOrFile) {
      const NameUse use = UseOfName(target_);
      if (use == NameUse::RegularFile) return RenameOver(temp_, target_, error_);
      if (use != NameUse::Free) break;
    }
    PlaceResult placed = RenameNoReplace(temp_, target_, error_);
    if (placed == PlaceResult::Unsupported) {
      // A file system without a rename that refuses to replace, nor links: an exclusive copy, removed if a
      // signal ends it halfway.
      File from = File::Open(temp_, FileMode::Read);
      const int slot = RegisterUnfinished(target_);
      const bool copied = from && CopyToNewFile(from, target_, &error_);
      if (slot >= 0) UnregisterUnfinished(target_);
      if (copied && modified_) SetModificationTime(target_, *modified_);
      placed = copied ? PlaceResult::Placed : error_ == FileError::Exists ? PlaceResult::Exists : PlaceResult::Failed;
    }
    if (placed != PlaceResult::Exists) return placed == PlaceResult::Placed;
    if (placing_ == Placing::New) break;
  }
  error_ = FileError::Exists;
  return false;
}

void FileSave::Abandon() {
  file_.Close();
  if (temp_.empty()) return;
  HoldSaveForTest(target_);
  RemoveFile(temp_);
  UnregisterUnfinished(temp_);
  temp_.clear();
}

bool FileSave::Write(const void* bytes, std::size_t size) {
  if (file_ && file_.Write(bytes, size)) return true;
  error_ = CurrentFileError();
  return false;
}

bool CopyToNewFile(File& source, const std::string& to, FileError* error) {
  FileError why = FileError::Other;
  if (error) *error = why;
  if (!source || !source.Seek(0, SEEK_SET)) return false;
  std::FILE* opened = nullptr;
  const CreateResult created = CreateNewFile(to, opened, why);
  if (created != CreateResult::Created) {
    if (error) *error = created == CreateResult::Exists ? FileError::Exists : why;
    return false;
  }
  File copy(opened);
  bool copied = true;
  char chunk[64 * 1024];
  for (std::size_t got; copied && (got = source.Read(chunk, sizeof chunk)) > 0;) copied = copy.Write(chunk, got);
  if (!copied) why = CurrentFileError();
  copied = copied && !std::ferror(source.get()) && SyncOpenFile(copy.get(), why);
  copied = copy.Close() && copied;
  if (!copied) RemoveFile(to);
  if (error) *error = copied ? FileError::None : why;
  return copied;
}

FileSave::Start SaveWholeFile(const std::string& target, const void* bytes, std::size_t size, FileError* error) {
  FileSave save;
  FileSave::Start start = save.Begin(target);
  if (start == FileSave::Start::Ready && !(save.Write(bytes, size) && save.Commit())) {
    start = FileSave::Start::CannotCreate;
  }
  if (error) *error = save.Error();
  return start;
}
