#pragma once
// The file seam: files named by UTF-8 paths (Windows: _wfopen and friends; POSIX: the C library). Every
// file the core opens goes through here, so no platform header is needed above this line.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

enum class FileMode {
  Read,    // "rb"
  Create,  // "wb": create or truncate
  Update,  // "r+b": existing file, read and write
  Append,  // "ab"
};

// A FILE* that closes itself. Close() reports whether buffered data reached the file.
class File {
 public:
  File() = default;
  static File Open(const std::string& path, FileMode mode);
  File(File&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  explicit operator bool() const { return file_ != nullptr; }
  std::FILE* get() const { return file_; }

  std::size_t Read(void* buffer, std::size_t bytes) { return std::fread(buffer, 1, bytes, file_); }
  bool Write(const void* buffer, std::size_t bytes) { return std::fwrite(buffer, 1, bytes, file_) == bytes; }
  bool Seek(int64_t offset, int whence);
  int64_t Tell() const;
  std::optional<uint64_t> Size() const;
  bool Close();

 private:
  explicit File(std::FILE* file) : file_(file) {}
  std::FILE* file_ = nullptr;
};

std::optional<uint64_t> FileSize(const std::string& path);
bool FileExists(const std::string& path);
bool IsReadOnlyFile(const std::string& path);
bool RemoveFile(const std::string& path);
// Renames from over to, replacing to if it exists; readers see the old or the new file, never a mix.
bool RenameOver(const std::string& from, const std::string& to);
bool TruncateFile(const std::string& path, uint64_t size);
// A path in the same folder as target that no file has yet; it never ends in an image extension.
std::string TempPathBeside(const std::string& target);
// The running program's own executable file.
std::string OwnProgramPath();
