#include "win32/DroppedFiles.h"

#include "ui/WideText.h"

std::string FirstDroppedFile(HDROP drop) {
  UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length + 1, L'\0');
  UINT copied = length > 0 ? ::DragQueryFileW(drop, 0, path.data(), length + 1) : 0;
  ::DragFinish(drop);
  path.resize(copied);
  return Narrow(path);
}
