#pragma once
// The three image forms, chosen by the last four characters of the path alone (without regard to case).

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/forms/Signatures.h"

enum class ImageForm { Unknown, Plain, Compressed, SelfExtracting };  // .img, .imz, .exe

ImageForm FormOfPath(const std::string& path);

// A path on floppy drive A: or B:, which an image is never opened from or saved to directly.
bool OnFloppyDrive(const std::string& path);

// Readers search the signature of an .exe image in its first 512 KB.
inline constexpr int64_t kExeSearchBytes = 0x80000;

// Offset of the first bzip2 signature within the first 512 KB of the file, or -1.
int64_t FindImageStream(const std::string& path);
// Offset of the first bzip2 signature within data, or -1.
int64_t FindImageStreamIn(const uint8_t* data, std::size_t size);
// 1 when the .exe file carries an image stream, else 0.
int ExeHasImage(const std::string& path);
