#include "image/ImageBytes.h"

#include "image/forms/ImageForm.h"

ImageContent::Status OpenImageContent(ImageContent& content, const std::string& path) {
  const ImageForm* form = FormOfFile(path);
  return form && form->archive ? content.OpenArchive(path) : content.OpenFile(path);
}

std::optional<uint64_t> ImageContentSize(const std::string& path) {
  ImageContent content;
  if (OpenImageContent(content, path) != ImageContent::Status::Ready) return std::nullopt;
  return content.Size();
}
