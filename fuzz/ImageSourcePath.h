#pragma once
// The whole source path on an arbitrary file: LoadInfo, geometry, the integrity check, the check a write
// makes of the whole raw image, and the description preview. Whatever the file holds, no more than an
// image's sectors may come out of it.

#include <unistd.h>

#include <string>

#include "NullMessageBoxes.h"
#include "base/File.h"
#include "image/ImageInfo.h"
#include "image/Integrity.h"
#include "image/WholeImageCheck.h"

inline void ReadThroughSourcePath(const uint8_t* data, std::size_t size, const std::string& name,
                                  const std::string& extension) {
  std::string path = "/tmp/diskelle-fuzz-" + name + "-" + std::to_string(::getpid()) + extension;
  {
    File file = File::Open(path, FileMode::Create);
    if (!file || !file.Write(data, size) || !file.Close()) return;
  }
  NullMessageBoxes boxes;
  CImageInfo image;
  if (image.LoadInfo(path, boxes) == 0) {
    CheckIntegrity(image, boxes);
    std::size_t blocks = 0;
    CheckWholeImage(image, boxes, [&blocks](const uint8_t*) { ++blocks; });
    if (blocks > kImageBufferBytes / 512) __builtin_trap();
  }
  std::string description;
  ReadDescriptionOnly(path, description, boxes);
  RemoveFile(path);
}
