#pragma once
// The raw image bytes of an image file of any form, without messages: the public reader, the loader and the
// geometry detection each report failures in their own words.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/forms/ImageForm.h"

class RawImageInput {
 public:
  // The raw image as the file's form reads it (image/forms/ImageForm.h); hasTrailer: the file (or the file
  // an archive carries) ends in our trailer, which must never pass for disk data. False when the file has
  // no form, cannot be opened or measured, or holds no image that can be started.
  bool Open(const std::string& path, bool hasTrailer);
  // The raw image's size when it is known before reading (a plain image); a stream's is known only at its end.
  std::optional<uint64_t> KnownBytes() const;
  // Fills data unless the image ends first: the number read (0 at the end), or -1 on a read or stream error.
  int64_t Read(void* data, std::size_t bytes);
  // The sectors the file records as bad (FormReader::BadSectors).
  std::vector<bool> BadSectors() const;
  void Close();

 private:
  std::unique_ptr<FormReader> reader_;
};
