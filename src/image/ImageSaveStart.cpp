#include "image/ImageSaveStart.h"

#include "base/Texts.h"

bool BeginImageSave(FileSave& save, const std::string& targetPath, IMessageBoxes& boxes) {
  switch (save.Begin(targetPath)) {
    case FileSave::Start::Ready: return true;
    case FileSave::Start::NotRegular: ShowError(boxes, kTextNotRegularFile, {targetPath}); break;
    case FileSave::Start::ReadOnly: ShowError(boxes, kTextFileReadOnly, {targetPath}); break;
    case FileSave::Start::CannotCreate: ShowError(boxes, kTextCannotCreate, {targetPath}); break;
  }
  return false;
}
