#pragma once
// The image a disk is to be written from, read whole before the disk is touched: a stream found damaged,
// cut or too large halfway through would otherwise leave the disk formatted and half overwritten.

#include <cstdint>
#include <functional>

#include "base/MessageBoxes.h"
#include "image/ImageInfo.h"

// Sees each whole 512-byte block of the raw image in disk order, during the check's own pass.
using ImageBlockVisitor = std::function<void(const uint8_t* block)>;

// Reads image's raw image to its end (no more than kImageBufferBytes) and, when its trailer stores a
// checksum, compares the file's CRC-32 with it. 0, or -1 after message 107 (cannot open), 124 (cannot be
// read to its end), 57730 (larger than 2 MB) or 57699 (checksum mismatch, or the CRC cannot be computed),
// with afterBadChecksum as a further paragraph of 57699 when given.
int CheckWholeImage(const CImageInfo& image, IMessageBoxes& boxes, const ImageBlockVisitor& onBlock = {},
                    const char* afterBadChecksum = nullptr);
