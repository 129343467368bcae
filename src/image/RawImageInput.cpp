#include "image/RawImageInput.h"

bool RawImageInput::Open(const std::string& path, bool hasTrailer) {
  Close();
  const ImageForm* form = FormOfFile(path);
  if (!form) return false;
  reader_ = form->openReader(path, hasTrailer);
  return reader_ != nullptr;
}

std::optional<uint64_t> RawImageInput::KnownBytes() const {
  return reader_ ? reader_->KnownBytes() : std::nullopt;
}

int64_t RawImageInput::Read(void* data, std::size_t bytes) { return reader_ ? reader_->Read(data, bytes) : -1; }

std::vector<bool> RawImageInput::BadSectors() const { return reader_ ? reader_->BadSectors() : std::vector<bool>{}; }

void RawImageInput::Close() { reader_.reset(); }
