#pragma once
// An image file's bytes laid out as a plain image's are (raw sectors, then perhaps a trailer): the file
// itself, or, for an .imz that another tool made as a zip archive, the one file the archive carries,
// unpacked and checked. Every reader of an image's data, its trailer and its checksum goes through here, so
// a zip .imz is read exactly as the .img inside it would be.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/File.h"

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
  // The bytes of the image at path: an .imz that begins with the zip signature is unpacked (detected by its
  // first bytes; other forms and our own bzip2 .imz are the file's own bytes).
  Status OpenImage(const std::string& path);

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

// True when path is an .imz that begins with the zip signature: another tool's archive, which is read but never
// written.
bool IsZipImage(const std::string& path);
// The size of the image's bytes (a zip .imz's unpacked file), or nullopt when they cannot be had.
std::optional<uint64_t> ImageContentSize(const std::string& path);
