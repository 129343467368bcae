#include "win32/DroppedFiles.h"

#include "ui/WideText.h"

namespace {

std::string DroppedFile(HDROP drop, UINT index) {
  UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
  std::wstring path(length + 1, L'\0');
  UINT copied = length > 0 ? ::DragQueryFileW(drop, index, path.data(), length + 1) : 0;
  path.resize(copied);
  return Narrow(path);
}

}  // namespace

std::string FirstDroppedFile(HDROP drop) {
  std::string path = DroppedFile(drop, 0);
  ::DragFinish(drop);
  return path;
}

std::vector<std::string> DroppedFiles(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    if (std::string path = DroppedFile(drop, i); !path.empty()) paths.push_back(std::move(path));
  }
  ::DragFinish(drop);
  return paths;
}
