#include "image/forms/ImageContent.h"

#include <cstring>

#include "base/Geometry.h"
#include "image/trailer/Trailer.h"
#include "image/forms/ZipImage.h"

namespace {

// The largest file an archive may carry: the largest image we hold, with its trailer.
constexpr std::size_t kLargestUnpackedBytes = kImageBufferBytes + kTrailerBytes;
// Headers, folder entries, a comment and deflate's worst case add far less than the image itself.
constexpr uint64_t kLargestZipBytes = 2 * kLargestUnpackedBytes;

class PlainReader final : public FormReader {
 public:
  PlainReader(ImageContent content, uint64_t bytes) : content_(std::move(content)), remaining_(bytes), bytes_(bytes) {}
  std::optional<uint64_t> KnownBytes() const override { return bytes_; }
  int64_t Read(void* data, std::size_t bytes) override {
    std::size_t wanted = bytes < remaining_ ? bytes : static_cast<std::size_t>(remaining_);
    std::size_t got = content_.Read(data, wanted);
    if (got < wanted && content_.Failed()) return -1;
    remaining_ -= got;
    return static_cast<int64_t>(got);
  }

 private:
  ImageContent content_;
  uint64_t remaining_;
  uint64_t bytes_;
};

}  // namespace

ImageContent::Status ImageContent::OpenFile(const std::string& path) {
  Close();
  file_ = File::Open(path, FileMode::Read);
  return file_ ? Status::Ready : Status::CannotOpen;
}

ImageContent::Status ImageContent::OpenArchive(const std::string& path) {
  if (OpenFile(path) != Status::Ready) return Status::CannotOpen;
  std::optional<uint64_t> size = file_.Size();
  if (!size) {
    Close();
    return Status::CannotOpen;
  }
  if (*size > kLargestZipBytes) {
    Close();
    return Status::TooLarge;
  }
  std::vector<uint8_t> archive(static_cast<std::size_t>(*size));
  bool read = file_.Read(archive.data(), archive.size()) == archive.size();
  Close();
  if (!read) return Status::CannotOpen;
  switch (UnpackSingleFileZip(archive.data(), archive.size(), kLargestUnpackedBytes, unpackedBytes_)) {
    case ZipUnpack::Unpacked: unpacked_ = true; return Status::Ready;
    case ZipUnpack::TooLarge: return Status::TooLarge;
    case ZipUnpack::Damaged: break;
  }
  return Status::Damaged;
}

std::optional<uint64_t> ImageContent::Size() const {
  if (unpacked_) return unpackedBytes_.size();
  if (!file_) return std::nullopt;
  return file_.Size();
}

bool ImageContent::Seek(uint64_t offset) {
  if (!unpacked_) return file_ && offset <= INT64_MAX && file_.Seek(static_cast<int64_t>(offset), SEEK_SET);
  if (offset > unpackedBytes_.size()) return false;
  position_ = static_cast<std::size_t>(offset);
  return true;
}

std::size_t ImageContent::Read(void* data, std::size_t bytes) {
  if (!unpacked_) return file_ ? file_.Read(data, bytes) : 0;
  std::size_t left = unpackedBytes_.size() - position_;
  std::size_t count = bytes < left ? bytes : left;
  if (count > 0) std::memcpy(data, unpackedBytes_.data() + position_, count);
  position_ += count;
  return count;
}

bool ImageContent::Failed() const {
  if (unpacked_) return false;
  return !file_ || std::ferror(file_.get()) != 0;
}

void ImageContent::Close() {
  file_.Close();
  unpackedBytes_.clear();
  position_ = 0;
  unpacked_ = false;
}

std::unique_ptr<FormReader> PlainContentReader(ImageContent content, bool hasTrailer) {
  std::optional<uint64_t> size = content.Size();
  const uint64_t trailer = hasTrailer ? kTrailerBytes : 0;
  if (!size || *size < trailer) return nullptr;
  return std::make_unique<PlainReader>(std::move(content), *size - trailer);
}
