#pragma once
// The raw image bytes of an image file of any form, without messages: the public reader, the loader and the
// geometry detection each report failures in their own words.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "image/forms/Bzip2File.h"
#include "image/forms/ImageContent.h"
#include "image/forms/ImageForm.h"

class RawImageInput {
 public:
  // .img from its first byte to the end of its data (hasTrailer: the file less its last kTrailerBytes, which
  // must never pass for disk data), a zip .imz likewise over the file it carries, .imz its bzip2 stream, .exe
  // the first bzip2 stream within its first 512 KB. False when the file cannot be opened or measured, has an
  // unknown form, is a zip archive that cannot be read, or holds no stream that can be started.
  bool Open(const std::string& path, bool hasTrailer);
  // The raw image's size when it is known before reading (a plain image, a zip .imz's file); a bzip2 stream's
  // is known only at its end.
  std::optional<uint64_t> KnownBytes() const;
  // Fills data unless the image ends first: the number read (0 at the end), or -1 on a read or stream error.
  int64_t Read(void* data, std::size_t bytes);
  void Close();

 private:
  ImageContent file_;
  Bzip2Reader stream_;
  bool open_ = false;
  bool compressed_ = false;
  uint64_t plainBytes_ = 0;
  uint64_t plainRemaining_ = 0;
};
