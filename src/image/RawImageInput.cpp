#include "image/RawImageInput.h"

#include "image/ImageInfo.h"

bool RawImageInput::Open(const std::string& path, bool hasTrailer) {
  Close();
  ImageForm form = FormOfPath(path);
  if (form == ImageForm::Unknown) return false;
  int64_t start = 0;
  if (form == ImageForm::SelfExtracting) {
    start = FindImageStream(path);
    if (start < 0) return false;
  }
  file_ = File::Open(path, FileMode::Read);
  if (!file_ || !file_.Seek(start, SEEK_SET)) {
    Close();
    return false;
  }
  compressed_ = form != ImageForm::Plain;
  if (compressed_) {
    if (stream_.Open(file_.get())) return true;
    Close();
    return false;
  }
  std::optional<uint64_t> size = file_.Size();
  uint64_t trailer = hasTrailer ? kTrailerBytes : 0;
  if (!size || *size < trailer) {
    Close();
    return false;
  }
  plainRemaining_ = *size - trailer;
  return true;
}

int64_t RawImageInput::Read(void* data, std::size_t bytes) {
  if (!file_) return -1;
  if (compressed_) {
    // One call of the library may deliver less than asked only at the end of the stream; loop anyway.
    auto* next = static_cast<uint8_t*>(data);
    std::size_t total = 0;
    while (total < bytes) {
      int64_t got = stream_.Read(next + total, bytes - total);
      if (got < 0) return -1;
      if (got == 0) break;
      total += static_cast<std::size_t>(got);
    }
    return static_cast<int64_t>(total);
  }
  std::size_t wanted = bytes < plainRemaining_ ? bytes : static_cast<std::size_t>(plainRemaining_);
  std::size_t got = file_.Read(data, wanted);
  if (got < wanted && std::ferror(file_.get())) return -1;
  plainRemaining_ -= got;
  return static_cast<int64_t>(got);
}

void RawImageInput::Close() {
  stream_.Close();
  file_.Close();
  compressed_ = false;
  plainRemaining_ = 0;
}
