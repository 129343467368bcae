// What the self-extractor reads out of its own file, from arbitrary bytes: the input is the whole file
// (written as an .exe), and also a picture on its own. A bitmap that passes the check must have every row
// it states inside its bytes.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "NullMessageBoxes.h"
#include "app/CarriedImage.h"
#include "base/File.h"
#include "image/forms/BitmapFile.h"

namespace {

uint32_t Le(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

// Reads the last byte of the last row of an accepted bitmap: out of bounds if the check let it pass.
void TouchLastRow(const uint8_t* data, std::size_t size) {
  if (!IsUsableBitmap(data, size)) return;
  uint32_t header = Le(data + 14, 4);
  int64_t width = header == 12 ? static_cast<int16_t>(Le(data + 18, 2)) : static_cast<int32_t>(Le(data + 18, 4));
  int64_t height = header == 12 ? static_cast<int16_t>(Le(data + 20, 2)) : static_cast<int32_t>(Le(data + 22, 4));
  uint32_t bits = header == 12 ? Le(data + 24, 2) : Le(data + 28, 2);
  if (height < 0) height = -height;
  uint64_t row = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  volatile uint8_t last = data[Le(data + 10, 4) + row * static_cast<uint64_t>(height) - 1];
  (void)last;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TouchLastRow(data, size);
  static const std::string path = [] {
    std::string name = "/tmp/fuzz-self-extractor-" + std::to_string(getpid()) + ".exe";
    std::atexit([] { std::remove(("/tmp/fuzz-self-extractor-" + std::to_string(getpid()) + ".exe").c_str()); });
    return name;
  }();
  File file = File::Open(path, FileMode::Create);
  if (!file || !file.Write(data, size) || !file.Close()) return 0;
  NullMessageBoxes boxes;
  CImageInfo image;
  CheckCarriedImage(path, image, boxes);
  if (std::optional<SettingsBlock> block = ReadOwnSettings(path, boxes)) {
    ReadCarriedText(path, block->licence, boxes);
    ReadCarriedText(path, block->instructions, boxes);
    if (block->settings.m_customPicture) ExtractPicture(path, block->picture, boxes);
  }
  return 0;
}
