#include "image/TrailerFile.h"

#include <vector>

#include "base/File.h"
#include "base/Texts.h"
#include "image/ImageBytes.h"
#include "image/trailer/Crc32.h"
#include "image/trailer/Trailer.h"

namespace {

constexpr std::size_t kCrcChunkBytes = 64 * 1024;

}  // namespace

int ReadLastBlock(const std::string& path, uint8_t* block) {
  ImageContent file;
  switch (OpenImageContent(file, path)) {
    case ImageContent::Status::Ready: break;
    case ImageContent::Status::CannotOpen: return -1;
    case ImageContent::Status::Damaged: return -3;
    case ImageContent::Status::TooLarge: return -4;
  }
  std::optional<uint64_t> size = file.Size();
  if (!size) return -1;
  if (*size == 0) return -1;
  if (*size < static_cast<uint64_t>(kTrailerBytes)) return -2;
  if (!file.Seek(*size - kTrailerBytes)) return -1;
  return file.Read(block, kTrailerBytes) == static_cast<std::size_t>(kTrailerBytes) ? 0 : -1;
}

namespace {

int Crc32Of(ImageContent& file, bool excludeTrailer, uint32_t& crc) {
  std::optional<uint64_t> size = file.Size();
  if (!size) return -1;
  uint64_t remaining = *size;
  if (excludeTrailer) {
    if (remaining < static_cast<uint64_t>(kTrailerBytes)) return -1;
    remaining -= kTrailerBytes;
  }
  if (remaining == 0) return -1;
  Crc32 sum;
  std::vector<uint8_t> chunk(kCrcChunkBytes);
  while (remaining > 0) {
    std::size_t want = remaining < chunk.size() ? static_cast<std::size_t>(remaining) : chunk.size();
    std::size_t got = file.Read(chunk.data(), want);
    if (got != want) return -1;
    sum.Update(chunk.data(), got);
    remaining -= got;
  }
  crc = sum.Value();
  return 0;
}

}  // namespace

int FileCrc32(const std::string& path, bool excludeTrailer, uint32_t& crc) {
  ImageContent file;
  if (file.OpenFile(path) != ImageContent::Status::Ready) return -1;
  return Crc32Of(file, excludeTrailer, crc);
}

int ImageCrc32(const std::string& path, bool excludeTrailer, uint32_t& crc) {
  ImageContent file;
  if (OpenImageContent(file, path) != ImageContent::Status::Ready) return -1;
  return Crc32Of(file, excludeTrailer, crc);
}

int AppendTrailer(const std::string& filePath, const std::string& shownPath, TrailerFields fields,
                  uint32_t& checksum, IMessageBoxes& boxes) {
  uint32_t crc = 0;
  std::optional<uint64_t> sizeBefore = FileSize(filePath);
  if (!sizeBefore || FileCrc32(filePath, false, crc) != 0) {
    ShowError(boxes, kTextCannotComputeCrc, {shownPath});
    return -1;
  }
  checksum = fields.checksum = crc;
  std::string block = FormatTrailerBlock(fields);
  File file = File::Open(filePath, FileMode::Append);
  bool written = file && file.Write(block.data(), block.size());
  if (!file.Close() || !written) {
    TruncateFile(filePath, *sizeBefore);
    ShowError(boxes, kTextCannotWriteTrailer);
    return -2;
  }
  return 0;
}

int EndWithTrailer(FileSave& save, const WrittenCrc& crc, const std::string& shownPath, TrailerFields fields,
                   uint32_t& checksum, IMessageBoxes& boxes) {
  uint32_t sum = 0;
  bool known = false;
  if (crc.Bytes() > 0) {
    const std::optional<uint32_t> written = crc.Value();
    sum = written.value_or(0);
    known = written.has_value() || (save.Out().Flush() && FileCrc32(save.TempPath(), false, sum) == 0);
  }
  if (!known) {
    ShowError(boxes, kTextCannotComputeCrc, {shownPath});
    return -1;
  }
  checksum = fields.checksum = sum;
  const std::string block = FormatTrailerBlock(fields);
  if (!save.Write(block.data(), block.size()) || !save.Out().Flush()) {
    ShowError(boxes, kTextCannotWriteTrailer);
    return -2;
  }
  return 0;
}
