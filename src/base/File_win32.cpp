#include <windows.h>
#include <io.h>
#include <sys/stat.h>

#include "base/File.h"
#include "base/Utf.h"

namespace {

std::wstring Wide(const std::string& utf8) {
  std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

const wchar_t* ModeString(FileMode mode) {
  switch (mode) {
    case FileMode::Read: return L"rb";
    case FileMode::Create: return L"wb";
    case FileMode::Update: return L"r+b";
    case FileMode::Append: return L"ab";
  }
  return L"rb";
}

}  // namespace

File File::Open(const std::string& path, FileMode mode) { return File(::_wfopen(Wide(path).c_str(), ModeString(mode))); }

bool File::Seek(int64_t offset, int whence) { return ::_fseeki64(file_, offset, whence) == 0; }

int64_t File::Tell() const { return ::_ftelli64(file_); }

std::optional<uint64_t> File::Size() const {
  struct _stat64 info {};
  if (::_fstat64(::_fileno(file_), &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

std::optional<uint64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsReadOnlyFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(Wide(path).c_str()) != 0; }

bool RenameOver(const std::string& from, const std::string& to) {
  // The data must be on the disk before the name points at it, or a power cut could leave the user with
  // an empty file under the old name.
  HANDLE file = ::CreateFileW(Wide(from).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool flushed = ::FlushFileBuffers(file) != 0;
  ::CloseHandle(file);
  if (!flushed) return false;
  return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool TruncateFile(const std::string& path, uint64_t size) {
  HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  bool ok = ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
  ::CloseHandle(file);
  return ok;
}

std::string OwnProgramPath() {
  wchar_t buffer[32768];
  DWORD length = ::GetModuleFileNameW(nullptr, buffer, 32768);
  if (length == 0 || length >= 32768) return {};
  return Utf16ToUtf8(std::u16string(buffer, buffer + length));
}
