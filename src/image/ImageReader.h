#pragma once
// ImageReader: the raw image bytes (disk order) of an image file of any form, with the disk jobs' messages.

#include <cstdint>
#include <memory>

#include "base/MessageBoxes.h"
#include "image/ImageInfo.h"

// Reads the raw image bytes of an image file (.img from its start to the end of its data, .imz its bzip2
// stream, .exe its first bzip2 stream).
class ImageReader {
 public:
  explicit ImageReader(IMessageBoxes& boxes);
  ~ImageReader();
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;

  // The image at image.m_path, whose m_hasTrailer says where a plain image's data ends. 0, or -1 after
  // message 107 with the path.
  int Open(const CImageInfo& image);
  // Up to bytes raw bytes: the number read (0 at the end), or -1 after message 124 (read error, or a damaged
  // or cut bzip2 stream: a shorter image must never pass for the whole one).
  int64_t Read(void* data, std::size_t bytes);
  void Close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
