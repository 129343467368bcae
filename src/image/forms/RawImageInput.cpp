#include "image/forms/RawImageInput.h"

#include "image/ImageInfo.h"

bool RawImageInput::Open(const std::string& path, bool hasTrailer) {
  Close();
  ImageForm form = FormOfPath(path);
  if (form == ImageForm::Unknown) return false;
  if (file_.OpenImage(path) != ImageContent::Status::Ready) return false;
  compressed_ = form != ImageForm::Plain && !file_.Unpacked();
  if (compressed_) {
    int64_t start = form == ImageForm::SelfExtracting ? FindImageStream(path) : 0;
    if (start < 0 || !file_.Seek(static_cast<uint64_t>(start)) || !stream_.Open(file_.Stream())) {
      Close();
      return false;
    }
    open_ = true;
    return true;
  }
  std::optional<uint64_t> size = file_.Size();
  uint64_t trailer = hasTrailer ? kTrailerBytes : 0;
  if (!size || *size < trailer) {
    Close();
    return false;
  }
  plainBytes_ = plainRemaining_ = *size - trailer;
  open_ = true;
  return true;
}

std::optional<uint64_t> RawImageInput::KnownBytes() const {
  if (!open_ || compressed_) return std::nullopt;
  return plainBytes_;
}

int64_t RawImageInput::Read(void* data, std::size_t bytes) {
  if (!open_) return -1;
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
  if (got < wanted && file_.Failed()) return -1;
  plainRemaining_ -= got;
  return static_cast<int64_t>(got);
}

void RawImageInput::Close() {
  stream_.Close();
  file_.Close();
  open_ = false;
  compressed_ = false;
  plainBytes_ = plainRemaining_ = 0;
}
