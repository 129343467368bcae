#pragma once
// Owned icons and bitmaps loaded from the program's resources: released once, when the owner goes.

#include <windows.h>

#include <utility>

template <typename Handle, BOOL(WINAPI* Release)(Handle)>
class UniqueGdiObject {
 public:
  UniqueGdiObject() = default;
  explicit UniqueGdiObject(Handle handle) : handle_(handle) {}
  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
  ~UniqueGdiObject() { Reset(); }

  Handle Get() const { return handle_; }
  void Reset(Handle handle = nullptr) {
    if (handle_) Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

inline BOOL WINAPI ReleaseBitmap(HBITMAP bitmap) { return ::DeleteObject(bitmap); }

using UniqueIcon = UniqueGdiObject<HICON, &::DestroyIcon>;
using UniqueBitmap = UniqueGdiObject<HBITMAP, &ReleaseBitmap>;

// An icon resource of the program at the given size (0, 0: the system's default icon size).
inline HICON LoadProgramIcon(int id, int width, int height) {
  UINT flags = width == 0 ? LR_DEFAULTSIZE : LR_DEFAULTCOLOR;
  return static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, flags));
}

inline HBITMAP LoadProgramBitmap(int id) {
  return static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}
