#include "image/forms/BitmapFile.h"

#include "base/LittleEndian.h"

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;

bool KnownInfoHeader(uint32_t size) {
  return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == 52 || size == 56 || size == 108 || size == 124;
}

bool KnownDepth(uint32_t bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

bool IsUsableBitmap(const uint8_t* data, std::size_t size) {
  if (!data || size < kFileHeaderBytes + kCoreHeaderBytes || data[0] != 'B' || data[1] != 'M') return false;
  const uint64_t pixelsAt = GetLe32(data + 10);
  const uint8_t* info = data + kFileHeaderBytes;
  const uint32_t headerBytes = GetLe32(info);
  if (!KnownInfoHeader(headerBytes) || kFileHeaderBytes + headerBytes > size) return false;

  int64_t width, height;
  uint32_t planes, bits, compression = 0, colours = 0;
  uint64_t entryBytes = 4;
  if (headerBytes == kCoreHeaderBytes) {
    width = static_cast<int16_t>(GetLe16(info + 4));
    height = static_cast<int16_t>(GetLe16(info + 6));
    planes = GetLe16(info + 8);
    bits = GetLe16(info + 10);
    entryBytes = 3;
  } else {
    width = static_cast<int32_t>(GetLe32(info + 4));
    height = static_cast<int32_t>(GetLe32(info + 8));
    planes = GetLe16(info + 12);
    bits = GetLe16(info + 14);
    compression = GetLe32(info + 16);
    colours = GetLe32(info + 32);
  }
  if (height < 0) height = -height;  // top-down rows
  if (planes != 1 || !KnownDepth(bits) || width < 1 || height < 1 || width > kMaxBitmapSide ||
      height > kMaxBitmapSide) {
    return false;
  }
  // Run-length data is left out: how far its decoder reads depends on the data alone.
  if ((compression != 0 && compression != 3) || (compression == 3 && bits != 16 && bits != 32)) return false;
  if (bits <= 8 && colours == 0) colours = 1u << bits;
  if (colours > 256) return false;
  uint64_t masks = compression == 3 && headerBytes == kInfoHeaderBytes ? 12 : 0;
  uint64_t tableEnd = kFileHeaderBytes + headerBytes + masks + colours * entryBytes;
  // The program hands GDI the bytes before the pixels as the header, masks and colour table: pixels that
  // begin inside them would make GDI read the table past its end.
  if (tableEnd > size || pixelsAt < tableEnd || pixelsAt >= size) return false;
  uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  return rowBytes * static_cast<uint64_t>(height) <= size - pixelsAt;
}
