#pragma once
// Owns a kernel handle (process, thread, event, file): closed once, when the owner goes.

#include <windows.h>

#include <utility>

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  // Both null and INVALID_HANDLE_VALUE are what the API returns for "no handle".
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

  // Returns the result of CloseHandle for the old handle (TRUE when there was none).
  BOOL Reset(HANDLE handle = nullptr) {
    BOOL closed = TRUE;
    if (Valid()) closed = ::CloseHandle(handle_);
    handle_ = handle;
    return closed;
  }

 private:
  HANDLE handle_ = nullptr;
};
