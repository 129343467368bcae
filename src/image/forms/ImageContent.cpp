#include "image/forms/ImageContent.h"

#include <cstring>

#include "image/ImageInfo.h"
#include "image/forms/ImageForm.h"
#include "image/forms/ZipImage.h"

namespace {

// The largest file an archive may carry: the largest image we hold, with its trailer.
constexpr std::size_t kLargestUnpackedBytes = kImageBufferBytes + kTrailerBytes;
// Headers, folder entries, a comment and deflate's worst case add far less than the image itself.
constexpr uint64_t kLargestArchiveBytes = 2 * kLargestUnpackedBytes;

bool StartsWithZip(File& file) {
  uint8_t head[kZipSignatureBytes] = {};
  std::size_t got = file.Read(head, sizeof head);
  return StartsWithZipSignature(head, got);
}

}  // namespace

ImageContent::Status ImageContent::OpenFile(const std::string& path) {
  Close();
  file_ = File::Open(path, FileMode::Read);
  return file_ ? Status::Ready : Status::CannotOpen;
}

ImageContent::Status ImageContent::OpenImage(const std::string& path) {
  if (OpenFile(path) != Status::Ready) return Status::CannotOpen;
  if (FormOfPath(path) != ImageForm::Compressed) return Status::Ready;
  bool zip = StartsWithZip(file_);
  if (!file_.Seek(0, SEEK_SET)) {
    Close();
    return Status::CannotOpen;
  }
  if (!zip) return Status::Ready;
  std::optional<uint64_t> size = file_.Size();
  if (!size) {
    Close();
    return Status::CannotOpen;
  }
  if (*size > kLargestArchiveBytes) {
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

bool IsZipImage(const std::string& path) {
  if (FormOfPath(path) != ImageForm::Compressed) return false;
  File file = File::Open(path, FileMode::Read);
  return file && StartsWithZip(file);
}

std::optional<uint64_t> ImageContentSize(const std::string& path) {
  ImageContent file;
  if (file.OpenImage(path) != ImageContent::Status::Ready) return std::nullopt;
  return file.Size();
}
