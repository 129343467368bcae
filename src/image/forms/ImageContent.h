#pragma once
// An image file's bytes laid out as a plain image's are (raw sectors, then perhaps a trailer): the file
// itself, or, for an archive that another tool made (a zip .imz), the one file it carries, unpacked and
// checked. Every reader of an image's data, its trailer and its checksum goes through here
// (image/ImageBytes.h chooses which), so an archive is read exactly as the .img inside it would be.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/File.h"
#include "image/forms/ImageForm.h"

class ImageContent {
 public:
  enum class Status {
    Ready,
    CannotOpen,
    Damaged,   // a zip archive this program does not read, or whose data does not unpack to its CRC32
    TooLarge,  // a zip archive whose file is larger than any image with its trailer
  };

  // The file's own bytes.
  Status OpenFile(const std::string& path);
  // The one file of the zip archive at path, unpacked and checked against its CRC-32.
  Status OpenArchive(const std::string& path);

  // True for an unpacked zip archive.
  bool Unpacked() const { return unpacked_; }
  // The open file when the bytes are the file's own (a bzip2 stream is read from it), else nullptr.
  std::FILE* Stream() const { return unpacked_ ? nullptr : file_.get(); }

  std::optional<uint64_t> Size() const;
  bool Seek(uint64_t offset);
  // Like fread: fewer bytes only at the end or on a read error (Failed tells which).
  std::size_t Read(void* data, std::size_t bytes);
  bool Failed() const;
  void Close();

 private:
  File file_;
  std::vector<uint8_t> unpackedBytes_;
  std::size_t position_ = 0;
  bool unpacked_ = false;
};

// The raw image of content, laid out as a plain image's: from its first byte to the end of its data
// (hasTrailer: less the last kTrailerBytes, which must never pass for disk data). nullptr when its size
// cannot be had or is smaller than a trailer it should hold.
std::unique_ptr<FormReader> PlainContentReader(ImageContent content, bool hasTrailer);