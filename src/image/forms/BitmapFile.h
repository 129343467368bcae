#pragma once
// A BMP file from an untrusted source (the picture a self-extracting image carries), checked before any
// graphics call sees it: every size the headers state must fit in the bytes there are.

#include <cstddef>
#include <cstdint>

// Pictures larger than this are not shown (a floppy's instructions need no poster).
inline constexpr int32_t kMaxBitmapSide = 4096;

// True for a whole BMP file of a kind the system draws: "BM", an info header of a known size, 1 plane,
// 1/4/8/16/24/32 bits per pixel, uncompressed (or bit fields at 16 and 32 bits), sides of 1 to
// kMaxBitmapSide pixels, the masks and colour table between the header and the pixels, every row inside
// the file.
bool IsUsableBitmap(const uint8_t* data, std::size_t size);
