#include "image/ImageSaveStart.h"

#include "base/Texts.h"

namespace {

bool Started(FileSave::Start start, const std::string& targetPath, IMessageBoxes& boxes) {
  switch (start) {
    case FileSave::Start::Ready: return true;
    case FileSave::Start::NotRegular: ShowError(boxes, kTextNotRegularFile, {targetPath}); break;
    case FileSave::Start::ReadOnly: ShowError(boxes, kTextFileReadOnly, {targetPath}); break;
    case FileSave::Start::CannotCreate: ShowError(boxes, kTextCannotCreate, {targetPath}); break;
  }
  return false;
}

}  // namespace

bool BeginImageSave(FileSave& save, const std::string& targetPath, IMessageBoxes& boxes) {
  return Started(save.Begin(targetPath), targetPath, boxes);
}

bool CheckImageSave(const std::string& targetPath, IMessageBoxes& boxes) {
  return Started(FileSave::Check(targetPath), targetPath, boxes);
}
