#pragma once
// CImageInfo: the image information record shared by the disk operations, the image files and the main
// window, and its 1024-byte information trailer (the last 1024 bytes of every image file we write).

#include <cstdint>
#include <string>

#include "base/Geometry.h"
#include "base/MessageBoxes.h"
#include "image/trailer/Trailer.h"


// What a record describes. The values are those the program has always used.
enum class ImageState : int32_t {
  None = 0,    // nothing chosen
  Source = 1,  // opened with LoadInfo
  Target = 2,  // chosen with SetTarget
};

class CImageInfo {
 public:
  int32_t m_imageBytes = 0;    // raw image size; set only by DetectGeometry
  ImageState m_state = ImageState::None;
  int32_t m_hasTrailer = 0;
  std::string m_path;          // UTF-8
  std::string m_description;   // UTF-8 here; system code page in the file
  int32_t m_compressed = 0;    // 1 for .imz and .exe
  int32_t m_sectorsPerTrack = 0;
  int32_t m_tracks = 0;
  uint32_t m_checksum = 0;     // 0: no checksum
  int32_t m_totalBytes = 0;    // file-system capacity of the floppy it was read from
  int32_t m_freeBytes = 0;

  FloppyGeometry Geometry() const { return {m_tracks, m_sectorsPerTrack}; }

  // Resets the trailer fields to their defaults and parses the trailer of m_path (of the file a zip .imz
  // carries). 0 (parsed, or no trailer: m_hasTrailer tells which), -1 (cannot open, or shorter than 1024
  // bytes), -2 (newer version), -3 (a damaged zip .imz), -4 (a zip .imz holding more than an image). No message.
  int ReadTrailer();
  // Appends a trailer to m_path, which has none yet; computes and stores the new checksum.
  // 0, -1 (checksum not computable, message 57696), -2 (append failed, message 57701; the part of the block
  // that was written is cut off again).
  int WriteTrailer(IMessageBoxes& boxes);
  // CRC-32 (zlib) of m_path (of the file a zip .imz carries), without its last 1024 bytes when excludeTrailer.
  // 0, or -1 (cannot open or empty).
  int ComputeCrc32(bool excludeTrailer, uint32_t& crc) const;

  // 1 and sets m_compressed for a known form (by the last four characters of m_path), else 0.
  int CheckExtension();
  // Opens path as a source: 0, or -1..-5 after message 107, 122, 57669, 57682 (a file shorter than a
  // trailer: "not an image"), 57666, or -6 after 124 (a damaged zip .imz included) or 57730 (a zip .imz
  // holding more than an image). An image without a trailer, or whose trailer states no
  // usable geometry (0 x 0, a count below 1, more than 2 MB of sectors), takes its geometry from its size;
  // when that size cannot be measured, nothing may go on with a made-up geometry.
  int LoadInfo(const std::string& path, IMessageBoxes& boxes);
  // Accepts path as a destination: 0, or -1 after message 122, -2 after the save's refusal (106 when no file
  // can be created in its folder, 125 for a read-only file, the not-a-regular-file message). The file need
  // not exist.
  int SetTarget(const std::string& path, IMessageBoxes& boxes);
  // m_imageBytes, m_sectorsPerTrack and m_tracks from the raw image size (a trailer is not counted; a
  // compressed image is counted up to just past 2 MB). False after message 124 when the image cannot be
  // read to its end (damaged or cut stream included); the geometry then stays as it was.
  bool DetectGeometry(IMessageBoxes& boxes);
};

// The trailer's fields for info: its description cut at a 0x01 or NUL it may contain, then to 255 bytes of
// the code page without splitting a character; its geometry, byte counts and checksum.
TrailerFields TrailerFieldsOf(const CImageInfo& info);
// The trailer block for info's description (cut at a 0x01 or NUL it may contain, then to 255 bytes of the
// code page without splitting a character), geometry, byte counts and checksum.
std::string FormatTrailer(const CImageInfo& info);

// Whether the file at path holds an image at all, as its form tells (an .exe may be any program).
bool HoldsImage(const std::string& path);

// A geometry a trailer may state for an image we can hold (else it is taken from the image's size).
bool UsableGeometry(int32_t tracks, int32_t sectorsPerTrack);

// What the open dialog's preview found.
enum class DescriptionPreview {
  Shown,         // description holds the image's description
  Unreadable,    // the file cannot be read (an empty file included)
  NoTrailer,     // a file shorter than a trailer included
  NewerVersion,  // after message 57666 with the exclamation icon
  Empty,         // the trailer has no description
};
DescriptionPreview ReadDescriptionOnly(const std::string& path, std::string& description, IMessageBoxes& boxes);

// Cuts the last 1024 bytes off the file: 0, or -1 when it cannot be opened for writing.
int RemoveTrailer(const std::string& path);
