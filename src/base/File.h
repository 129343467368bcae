#pragma once
// The file seam: files named by UTF-8 paths (Windows: _wfopen and friends; POSIX: the C library). Every
// file the core opens goes through here, so no platform header is needed above this line.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/WriteWatcher.h"

enum class FileMode {
  Read,    // "rb"; only regular files open (a FIFO or a device would block or never end)
  Create,  // "wb": create or truncate (tests and tools; the program saves through FileSave)
  Update,  // "r+b": existing file, read and write
  Append,  // "ab"
};

// Why a save failed, as far as the system tells.
enum class FileError {
  None,
  NoSpace,
  Denied,
  NameTooLong,  // a name (or the whole path) longer than this system allows
  Exists,       // something has the name, and the save was not to replace it
  Other,
};

// A FILE* that closes itself. Close() reports whether buffered data reached the file.
class File {
 public:
  File() = default;
  static File Open(const std::string& path, FileMode mode);
  File(File&& other) noexcept : file_(other.file_), watcher_(other.watcher_) {
    other.file_ = nullptr;
    other.watcher_ = nullptr;
  }
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  explicit operator bool() const { return file_ != nullptr; }
  std::FILE* get() const { return file_; }

  std::size_t Read(void* buffer, std::size_t bytes) { return std::fread(buffer, 1, bytes, file_); }
  // Nothing to write may come without a buffer (an empty vector's data()): fwrite must not see it.
  bool Write(const void* buffer, std::size_t bytes) {
    if (bytes == 0) return true;
    if (std::fwrite(buffer, 1, bytes, file_) != bytes) return false;
    if (watcher_) watcher_->Wrote(buffer, bytes);
    return true;
  }
  // Hands what is buffered to the system (no sync): false when a write failed.
  bool Flush() { return std::fflush(file_) == 0; }
  // Every later write (and seek) of this file is shown to watcher, until the file closes.
  void Watch(WriteWatcher* watcher) { watcher_ = watcher; }
  bool Seek(int64_t offset, int whence);
  int64_t Tell() const;
  std::optional<uint64_t> Size() const;
  bool Close();

 private:
  friend class FileSave;
  friend bool CopyToNewFile(File& from, const std::string& to, FileError* error);
  explicit File(std::FILE* file) : file_(file) {}
  bool SeekStream(int64_t offset, int whence);  // the system's part of Seek
  std::FILE* file_ = nullptr;
  WriteWatcher* watcher_ = nullptr;
};

std::optional<uint64_t> FileSize(const std::string& path);
bool FileExists(const std::string& path);
// A file this user may not change (no write permission, or the read-only attribute).
bool IsReadOnlyFile(const std::string& path);
bool RemoveFile(const std::string& path);
bool TruncateFile(const std::string& path, uint64_t size);
// The file a path finally names once symbolic links are followed (the path itself where there are none).
std::string ResolveLinks(const std::string& path);

// What a name in a folder holds, the name itself looked at (a symbolic link is not followed). Other also when
// the system cannot tell; error (when given) then says why.
enum class NameUse { Free, RegularFile, Other };
NameUse UseOfName(const std::string& path, FileError* error = nullptr);
// Makes the folder path in its existing parent. Made or Existed when afterwards a folder that is no link has
// the name; Link when a symbolic link has it, Taken when anything else but a folder has it.
enum class FolderMade { Made, Existed, Link, Taken, Failed };
FolderMade MakeFolder(const std::string& path, FileError* error = nullptr);
// Whether this system takes the name (one step of a path) for a device, not a file: on Windows "CON", "NUL",
// "COM1" and the like, also with an extension ("aux.c"); nothing on POSIX.
bool DeviceName(const std::string& name);
// Whether files can be made in the existing folder path.
enum class FolderAccess { Writable, ReadOnlyVolume, Denied };
FolderAccess AccessOfFolder(const std::string& path);
// A calendar time of the local time zone, as FAT volumes store them.
struct LocalTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// Gives the file at path that modification time: false when the time or the file is refused.
bool SetModificationTime(const std::string& path, const LocalTime& time);

// The one way the program saves a file. The new contents go to a temporary file created exclusively beside
// the real target (links followed), which replaces the target only when complete and on the disk, with the
// target's mode (and owner, where allowed). Until then the target is untouched, and a save that fails or is
// abandoned removes its temporary file, also when a signal ends the program.
class FileSave {
 public:
  enum class Start { Ready, NotRegular, ReadOnly, CannotCreate };
  // Where Commit puts the new file.
  enum class Placing {
    Replace,  // over the target (links followed), on the disk at once: images, maps, settings
    // Only where nothing has the target's own name: the last step refuses to replace, also what another process
    // put there meanwhile. Not synced: a run of many new files syncs them once at its end (SyncSavedFile).
    New,
    NewOrFile,  // as New, but a regular file of the name is replaced (never a link or anything else)
  };

  FileSave() = default;
  ~FileSave() { Abandon(); }
  FileSave(const FileSave&) = delete;
  FileSave& operator=(const FileSave&) = delete;

  // Refuses a target that exists but is not a regular file (a device, a FIFO, a folder) or that this user may
  // not change, and for New any target that exists (CannotCreate, Error() Exists); otherwise creates the
  // temporary file, open for writing at its start.
  Start Begin(const std::string& target, Placing placing = Placing::Replace);
  // What Begin would answer, without making a file: the same refusals, and the folder asked whether files can
  // be made in it. For a refusal before long work; Begin itself still decides.
  static Start Check(const std::string& target, Placing placing = Placing::Replace);
  File& Out() { return file_; }
  // Writes to Out(), noting why a write failed.
  bool Write(const void* bytes, std::size_t size);
  // The new file's name until Commit (a lock passes to it before it takes the target's name).
  const std::string& TempPath() const { return temp_; }
  // The file the save replaces: the target with its links followed.
  const std::string& ResolvedTarget() const { return target_; }
  // The modification time the new file has when it takes its name.
  void SetModified(const LocalTime& time) { modified_ = time; }
  // Closes Out(), puts the data on the disk (Replace) and the file in place. False (see Error(); Exists when a
  // New placing found the name taken) leaves the target as it was and the temporary file removed.
  bool Commit();
  void Abandon();
  FileError Error() const { return error_; }

 private:
  // Begin's refusals of a target, which also note target, placing and why.
  Start Refusal(const std::string& target, Placing placing);
  bool Place();

  std::string target_;
  std::string temp_;
  File file_;
  FileError error_ = FileError::None;
  Placing placing_ = Placing::Replace;
  std::optional<LocalTime> modified_;
};

// A whole new file of bytes saved through FileSave: Start::Ready when it is in place.
FileSave::Start SaveWholeFile(const std::string& target, const void* bytes, std::size_t size,
                              FileError* error = nullptr);

// Copies an open file from its first byte, byte for byte, to a new file named to: false when to exists
// already (it is never replaced; error Exists) or the copy fails (nothing is left at to then).
bool CopyToNewFile(File& from, const std::string& to, FileError* error = nullptr);

// The files of one run saved with a New placing, put on the disk together at its end: a sync per file costs a
// flush of the disk each. Every folder is watched before anything is saved into it, so that data that fails
// to reach the disk later is still reported. (POSIX: syncfs per file system; Windows: each file flushed.)
class DeferredSync {
 public:
  DeferredSync() = default;
  ~DeferredSync();
  DeferredSync(const DeferredSync&) = delete;
  DeferredSync& operator=(const DeferredSync&) = delete;

  void Watch(const std::string& folder);
  void Add(const std::string& file);
  // False (and why) when the system could not put everything on the disk.
  bool Finish(FileError* error = nullptr);

 private:
  std::vector<std::pair<uint64_t, int>> volumes_;  // POSIX: device, descriptor of a folder on it
  std::vector<std::string> files_;                  // Windows
};
// Removes the temporary files that saves into folder left when their process was killed outright. A run of
// many saves into one folder calls it once (a Replace save does it for its own target).
void RemoveAbandonedSavesIn(const std::string& folder);

// An exclusive lock on an existing file, held until released or until the process ends. Every process that
// uses this class sees it; readers that do not ask are not hindered. (POSIX: flock on the file itself;
// Windows, where a file that is open cannot be replaced by a rename: a semaphore named after the file's
// full path.)
class FileLock {
 public:
  enum class Result { Locked, Busy, Missing, Failed };

  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(FileLock&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the lock without waiting: Busy when another holder has it.
  Result Acquire(const std::string& path);
  // Commits a save of the locked file and keeps the lock on the file that then has the name.
  bool Commit(FileSave& save);
  bool Held() const { return handle_ != kNone; }
  void Release();

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;
};

// Temporary files of saves in progress, removed by RemoveUnfinishedSaves. The POSIX front ends call it from
// their signal handlers: it is async-signal-safe.
void RemoveUnfinishedSaves();
// The running program's own executable file.
std::string OwnProgramPath();
