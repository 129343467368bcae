// ImageReader: the raw image of an image file, with the disk jobs' messages.
#include "base/Texts.h"
#include "image/ImageReader.h"
#include "image/RawImageInput.h"

struct ImageReader::State {
  explicit State(IMessageBoxes& b) : boxes(b) {}
  IMessageBoxes& boxes;
  RawImageInput input;
};

ImageReader::ImageReader(IMessageBoxes& boxes) : state_(std::make_unique<State>(boxes)) {}

ImageReader::~ImageReader() = default;

int ImageReader::Open(const CImageInfo& image) {
  if (!state_->input.Open(image.m_path, image.m_hasTrailer != 0)) {
    ShowError(state_->boxes, kTextCannotOpen, {image.m_path});
    return -1;
  }
  return 0;
}

int64_t ImageReader::Read(void* data, std::size_t bytes) {
  int64_t got = state_->input.Read(data, bytes);
  if (got < 0) ShowError(state_->boxes, kTextImageReadFailed);
  return got;
}

void ImageReader::Close() { state_->input.Close(); }
