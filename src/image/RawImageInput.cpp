#include "image/RawImageInput.h"

bool RawImageInput::Open(const std::string& path) {
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
  if (compressed_ && !stream_.Open(file_.get())) {
    Close();
    return false;
  }
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
  std::size_t got = file_.Read(data, bytes);
  if (got < bytes && std::ferror(file_.get())) return -1;
  return static_cast<int64_t>(got);
}

void RawImageInput::Close() {
  stream_.Close();
  file_.Close();
  compressed_ = false;
}
