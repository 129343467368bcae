#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <vector>

#include "base/File.h"
#include "base/FileSystem.h"
#include "base/Handle_win32.h"
#include "base/Wide_win32.h"

const char* const kPathSeparators = "/\\";

namespace {

const wchar_t* ModeString(FileMode mode) {
  switch (mode) {
    case FileMode::Read: return L"rb";
    case FileMode::Create: return L"wb";
    case FileMode::Update: return L"r+b";
    case FileMode::Append: return L"ab";
  }
  return L"rb";
}

FileError ErrorOf(DWORD code) {
  switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileError::NoSpace;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION: return FileError::Denied;
    case ERROR_FILENAME_EXCED_RANGE: return FileError::NameTooLong;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileError::Exists;
    default: return FileError::Other;
  }
}

}  // namespace

File File::Open(const std::string& path, FileMode mode) {
  if (mode == FileMode::Read && KindOfPath(path) != PathKind::Regular) return File();
  return File(::_wfopen(Wide(path).c_str(), ModeString(mode)));
}

bool File::SeekStream(int64_t offset, int whence) { return ::_fseeki64(file_, offset, whence) == 0; }

int64_t File::Tell() const { return ::_ftelli64(file_); }

std::optional<uint64_t> File::Size() const {
  struct _stat64 info {};
  if (::_fstat64(::_fileno(file_), &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

std::optional<uint64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsReadOnlyFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(Wide(path).c_str()) != 0; }

bool TruncateFile(const std::string& path, uint64_t size) {
  UniqueHandle file(::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  return ::SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get());
}

// Links are rare on the systems the program targets, and replacing one replaces the link itself there.
std::string ResolveLinks(const std::string& path) { return path; }

NameUse UseOfName(const std::string& path, FileError* error) {
  DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return NameUse::Free;
    if (error) *error = ErrorOf(code);
    return NameUse::Other;
  }
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return NameUse::Other;
  return KindOfPath(path) == PathKind::Regular ? NameUse::RegularFile : NameUse::Other;
}

FolderMade MakeFolder(const std::string& path, FileError* error) {
  if (::CreateDirectoryW(Wide(path).c_str(), nullptr)) return FolderMade::Made;
  const DWORD code = ::GetLastError();
  DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (code != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES) {
    if (error) *error = ErrorOf(code);
    return FolderMade::Failed;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderMade::Link;
  return attributes & FILE_ATTRIBUTE_DIRECTORY ? FolderMade::Existed : FolderMade::Taken;
}

bool DeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' && base[3] <= '9';
}

namespace {

// Whether the folder's access list lets this process add a file. True where the system cannot tell: the first
// file made there says it then.
bool MayAddFile(const std::wstring& folder) {
  constexpr SECURITY_INFORMATION kWanted =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  ::GetFileSecurityW(folder.c_str(), kWanted, nullptr, 0, &size);
  std::vector<uint8_t> descriptor(size);
  HANDLE processToken = nullptr;
  if (size == 0 || !::GetFileSecurityW(folder.c_str(), kWanted, descriptor.data(), size, &size) ||
      !::OpenProcessToken(::GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &processToken)) {
    return true;
  }
  UniqueHandle process(processToken);
  HANDLE impersonation = nullptr;
  if (!::DuplicateToken(process.Get(), SecurityImpersonation, &impersonation)) return true;
  UniqueHandle token(impersonation);
  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
  DWORD wanted = FILE_ADD_FILE;
  ::MapGenericMask(&wanted, &mapping);
  PRIVILEGE_SET privileges{};
  DWORD privilegesSize = sizeof privileges;
  DWORD granted = 0;
  BOOL allowed = FALSE;
  if (!::AccessCheck(descriptor.data(), token.Get(), wanted, &mapping, &privileges, &privilegesSize, &granted,
                     &allowed)) {
    return true;
  }
  return allowed != FALSE;
}

}  // namespace

FolderAccess AccessOfFolder(const std::string& path) {
  const std::wstring folder = Wide(path);
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return FolderAccess::Denied;
  wchar_t volume[MAX_PATH + 1];
  DWORD flags = 0;
  if (::GetVolumePathNameW(folder.c_str(), volume, MAX_PATH + 1) &&
      ::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
      (flags & FILE_READ_ONLY_VOLUME)) {
    return FolderAccess::ReadOnlyVolume;
  }
  return MayAddFile(folder) ? FolderAccess::Writable : FolderAccess::Denied;
}

bool SetModificationTime(const std::string& path, const LocalTime& time) {
  SYSTEMTIME calendar{};
  calendar.wYear = static_cast<WORD>(time.year);
  calendar.wMonth = static_cast<WORD>(time.month);
  calendar.wDay = static_cast<WORD>(time.day);
  calendar.wHour = static_cast<WORD>(time.hour);
  calendar.wMinute = static_cast<WORD>(time.minute);
  calendar.wSecond = static_cast<WORD>(time.second);
  FILETIME local, utc;
  if (!::SystemTimeToFileTime(&calendar, &local) || !::LocalFileTimeToFileTime(&local, &utc)) return false;
  UniqueHandle file(::CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return file.Valid() && ::SetFileTime(file.Get(), nullptr, nullptr, &utc) != 0;
}

std::string OwnProgramPath() {
  wchar_t buffer[32768];
  DWORD length = ::GetModuleFileNameW(nullptr, buffer, 32768);
  if (length == 0 || length >= 32768) return {};
  return Narrow(std::wstring_view(buffer, length));
}

// --- FileSystem.h ----------------------------------------------------------------------------------------

unsigned long CurrentProcessId() { return ::GetCurrentProcessId(); }

bool ProcessRunning(unsigned long id) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;  // no such process
  bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(Wide(folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(Narrow(found.cFileName));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

FileError CurrentFileError() { return ErrorOf(::GetLastError()); }

PathKind KindOfPath(const std::string& path) {
  // Device names ("\\.\A:", "NUL", "CON") are never files to replace or read as images.
  if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("\\\\?\\GLOBALROOT", 0) == 0) return PathKind::Other;
  DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing : PathKind::Other;
  }
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return PathKind::Other;
  UniqueHandle file(::CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.Valid()) return PathKind::Other;
  return ::GetFileType(file.Get()) == FILE_TYPE_DISK ? PathKind::Regular : PathKind::Other;
}

CreateResult CreateNewFile(const std::string& path, std::FILE*& file, FileError& error) {
  HANDLE handle = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD code = ::GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) return CreateResult::Exists;
    error = ErrorOf(code);
    return CreateResult::Failed;
  }
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(handle);
    ::DeleteFileW(Wide(path).c_str());
    error = FileError::Other;
    return CreateResult::Failed;
  }
  file = ::_fdopen(fd, "wb");
  if (!file) {
    ::_close(fd);
    ::DeleteFileW(Wide(path).c_str());
    error = FileError::Other;
    return CreateResult::Failed;
  }
  return CreateResult::Created;
}

bool SyncOpenFile(std::FILE* file, FileError& error) {
  if (std::fflush(file) != 0) {
    error = FileError::Other;
    return false;
  }
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || !::FlushFileBuffers(handle)) {
    error = CurrentFileError();
    return false;
  }
  return true;
}

bool SyncClosedFile(const std::string& path, FileError& error) {
  UniqueHandle file(
      ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  bool flushed = file.Valid() && ::FlushFileBuffers(file.Get());
  if (!flushed) error = CurrentFileError();
  return flushed;
}

// A new file gets the folder's permissions; the read-only attribute of a target was refused before.
void CopyModeAndOwner(const std::string&, const std::string&) {}

bool RenameOver(const std::string& from, const std::string& to, FileError& error) {
  if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  error = CurrentFileError();
  return false;
}

PlaceResult RenameNoReplace(const std::string& from, const std::string& to, FileError& error) {
  if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), 0)) return PlaceResult::Placed;
  const DWORD code = ::GetLastError();
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) return PlaceResult::Exists;
  error = ErrorOf(code);
  return PlaceResult::Failed;
}

// MOVEFILE_WRITE_THROUGH has already put the rename on the disk.
void SyncFolderOf(const std::string&) {}

void HoldSaveForTest(const std::string&) {}

void RemoveFileNow(const char* path) { ::DeleteFileW(Wide(path).c_str()); }

// --- DeferredSync -------------------------------------------------------------------------------------

DeferredSync::~DeferredSync() = default;

// NTFS keeps its names in its journal; the files' data is what needs flushing.
void DeferredSync::Watch(const std::string&) {}

void DeferredSync::Add(const std::string& file) { files_.push_back(file); }

bool DeferredSync::Finish(FileError* error) {
  bool synced = true;
  for (const std::string& file : files_) {
    FileError why = FileError::None;
    // One that another hand removed or replaced meanwhile is no longer the run's to put on the disk.
    if (KindOfPath(file) != PathKind::Regular) continue;
    if (!SyncClosedFile(file, why) && synced) {
      synced = false;
      if (error) *error = why;
    }
  }
  files_.clear();
  return synced;
}

// --- FileLock ---------------------------------------------------------------------------------------------

namespace {

// The file's full, long, case-folded path: every name of one file gives the same lock.
std::wstring LockNameOf(const std::string& path) {
  std::wstring wide = Wide(path);
  wchar_t full[32768];
  DWORD length = ::GetFullPathNameW(wide.c_str(), 32768, full, nullptr);
  std::wstring name = length > 0 && length < 32768 ? std::wstring(full, length) : wide;
  length = ::GetLongPathNameW(name.c_str(), full, 32768);
  if (length > 0 && length < 32768) name.assign(full, length);
  ::CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
  uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a: object names may not hold backslashes
  for (wchar_t c : name) hash = (hash ^ static_cast<uint16_t>(c)) * 0x100000001B3ull;
  std::wstring text = L"Local\\Diskelle-";
  for (int shift = 60; shift >= 0; shift -= 4) text += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return text;
}

}  // namespace

FileLock::Result FileLock::Acquire(const std::string& path) {
  Release();
  switch (KindOfPath(path)) {
    case PathKind::Missing: return Result::Missing;
    case PathKind::Other: return Result::Failed;
    case PathKind::Regular: break;
  }
  // A semaphore, not a mutex: the holder's threads come and go (each job runs on one of its own).
  HANDLE semaphore = ::CreateSemaphoreW(nullptr, 1, 1, LockNameOf(path).c_str());
  if (!semaphore) return Result::Failed;
  if (::WaitForSingleObject(semaphore, 0) != WAIT_OBJECT_0) {
    ::CloseHandle(semaphore);
    return Result::Busy;
  }
  handle_ = reinterpret_cast<intptr_t>(semaphore);
  return Result::Locked;
}

// The lock follows the name, which the save keeps.
bool FileLock::Commit(FileSave& save) { return save.Commit(); }

void FileLock::Release() {
  if (handle_ == kNone) return;
  HANDLE semaphore = reinterpret_cast<HANDLE>(handle_);
  ::ReleaseSemaphore(semaphore, 1, nullptr);
  ::CloseHandle(semaphore);
  handle_ = kNone;
}
