// The self-extractor's picture check against arbitrary bytes. An accepted picture is then read as GDI reads
// what the program hands it: the bytes before the pixels, copied on their own, as header, masks and colour
// table, and every row from the pixel offset on. Any read past either block is out of bounds.
#include <cstdint>
#include <vector>

#include "base/LittleEndian.h"
#include "image/forms/BitmapFile.h"

namespace {

volatile uint8_t sink;

void ReadAsGdi(const uint8_t* data, std::size_t size) {
  const uint32_t pixelsAt = GetLe32(data + 10);
  std::vector<uint8_t> copy(data + 14, data + pixelsAt);  // exactly what the program copies
  const uint8_t* info = copy.data();
  const uint32_t header = GetLe32(info);
  const bool core = header == 12;
  const int64_t width = core ? static_cast<int16_t>(GetLe16(info + 4)) : static_cast<int32_t>(GetLe32(info + 4));
  int64_t height = core ? static_cast<int16_t>(GetLe16(info + 6)) : static_cast<int32_t>(GetLe32(info + 8));
  const uint32_t bits = core ? GetLe16(info + 10) : GetLe16(info + 14);
  const uint32_t compression = core ? 0 : GetLe32(info + 16);
  uint32_t colours = core ? 0 : GetLe32(info + 32);
  if (colours == 0 && bits <= 8) colours = 1u << bits;
  const std::size_t masks = compression == 3 && header == 40 ? 12 : 0;
  const std::size_t table = header + masks + static_cast<std::size_t>(colours) * (core ? 3 : 4);
  for (std::size_t i = 0; i < table; ++i) sink = info[i];
  if (height < 0) height = -height;
  const uint64_t rows = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4 * static_cast<uint64_t>(height);
  for (uint64_t i = 0; i < rows; i += 61) sink = data[pixelsAt + i];
  if (rows > 0) sink = data[pixelsAt + rows - 1];
  (void)size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<uint8_t> exact(data, data + size);  // no slack after the last byte
  if (IsUsableBitmap(exact.data(), exact.size())) ReadAsGdi(exact.data(), exact.size());
  return 0;
}
