// The picture check: a BMP whose headers state more than its bytes hold never reaches the graphics calls.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "image/forms/BitmapFile.h"

namespace {

void Put(std::string& file, std::size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
}

// A BITMAPINFOHEADER file of width x height at bits per pixel, with a full colour table below 16 bits.
std::string Bitmap(int32_t width, int32_t height, int bits) {
  uint32_t colours = bits <= 8 ? 1u << bits : 0;
  uint32_t offset = 54 + colours * 4;
  uint64_t row = (static_cast<uint64_t>(width < 0 ? -width : width) * bits + 31) / 32 * 4;
  std::string file(offset + row * static_cast<uint64_t>(height < 0 ? -height : height), '\0');
  file[0] = 'B';
  file[1] = 'M';
  Put(file, 2, static_cast<uint32_t>(file.size()), 4);
  Put(file, 10, offset, 4);
  Put(file, 14, 40, 4);
  Put(file, 18, static_cast<uint32_t>(width), 4);
  Put(file, 22, static_cast<uint32_t>(height), 4);
  Put(file, 26, 1, 2);
  Put(file, 28, static_cast<uint32_t>(bits), 2);
  return file;
}

bool Usable(const std::string& file) {
  return IsUsableBitmap(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

TEST(BitmapFile, AcceptsWholePicturesOfEveryDepthAndRefusesDamagedOnes) {
  struct Case {
    const char* name;
    std::function<std::string()> file;
    bool usable;
  } cases[] = {
      {"24 bits", [] { return Bitmap(90, 70, 24); }, true},
      {"1 bit with its palette", [] { return Bitmap(33, 5, 1); }, true},
      {"8 bits top-down", [] { return Bitmap(10, -10, 8); }, true},
      {"32 bits bit fields", [] { auto f = Bitmap(4, 4, 32); f.insert(54, 12, '\0'); Put(f, 10, 66, 4); Put(f, 30, 3, 4); return f; }, true},
      {"core header", [] {
         std::string f(14 + 12 + 4 * 2 * 3 + 4 * 2, '\0');
         f[0] = 'B'; f[1] = 'M'; Put(f, 10, 14 + 12 + 6, 4); Put(f, 14, 12, 4);
         Put(f, 18, 4, 2); Put(f, 20, 2, 2); Put(f, 22, 1, 2); Put(f, 24, 1, 2);
         return f; }, true},
      {"empty", [] { return std::string(); }, false},
      {"not BM", [] { auto f = Bitmap(8, 8, 24); f[1] = 'A'; return f; }, false},
      {"last row cut", [] { auto f = Bitmap(90, 70, 24); f.pop_back(); return f; }, false},
      {"height beyond the data", [] { auto f = Bitmap(8, 8, 24); Put(f, 22, 9, 4); return f; }, false},
      {"pixels past the end", [] { auto f = Bitmap(8, 8, 24); Put(f, 10, 0xFFFFFF00u, 4); return f; }, false},
      {"pixels inside the header", [] { auto f = Bitmap(8, 8, 24); Put(f, 10, 20, 4); return f; }, false},
      {"palette past the end", [] { auto f = Bitmap(8, 1, 8); f.resize(54 + 100); Put(f, 10, 54 + 90, 4); return f; }, false},
      {"8-bit pixels over the colour table", [] { auto f = Bitmap(8, 8, 8); Put(f, 10, 54 + 1020, 4); return f; }, false},
      {"1-bit pixels over the palette", [] { auto f = Bitmap(32, 4, 1); f.resize(f.size() + 8); Put(f, 10, 54, 4); return f; }, false},
      {"bit fields pixels over the masks", [] { auto f = Bitmap(4, 4, 32); f.insert(54, 12, '\0'); Put(f, 30, 3, 4); return f; }, false},
      {"too many colours", [] { auto f = Bitmap(8, 8, 8); Put(f, 46, 100000, 4); return f; }, false},
      {"unknown header size", [] { auto f = Bitmap(8, 8, 24); Put(f, 14, 41, 4); return f; }, false},
      {"header past the end", [] { auto f = Bitmap(1, 1, 24); Put(f, 14, 124, 4); return f.substr(0, 60); }, false},
      {"zero width", [] { auto f = Bitmap(8, 8, 24); Put(f, 18, 0, 4); return f; }, false},
      {"negative width", [] { auto f = Bitmap(8, 8, 24); Put(f, 18, static_cast<uint32_t>(-8), 4); return f; }, false},
      {"side above the limit", [] { return Bitmap(kMaxBitmapSide + 1, 1, 1); }, false},
      {"two planes", [] { auto f = Bitmap(8, 8, 24); Put(f, 26, 2, 2); return f; }, false},
      {"7 bits", [] { auto f = Bitmap(8, 8, 8); Put(f, 28, 7, 2); return f; }, false},
      {"run-length data", [] { auto f = Bitmap(8, 8, 8); Put(f, 30, 1, 4); return f; }, false},
      {"JPEG inside", [] { auto f = Bitmap(8, 8, 24); Put(f, 30, 4, 4); return f; }, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Usable(c.file()), c.usable) << c.name;
  }
}

}  // namespace
