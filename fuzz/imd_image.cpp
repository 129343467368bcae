// The ImageDisk parser and the floppy it arranges on arbitrary files, and the whole source path on those
// that begin like one, written as .imd files. What comes out is one of the six formats, whole, with a flag
// for every sector.
#include <cstring>

#include "ImageSourcePath.h"
#include "image/forms/ImdImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  ArchiveParse parsed = ParseImd(std::span(data, size));
  if (const ArchivedDisk* disk = std::get_if<ArchivedDisk>(&parsed)) {
    std::variant<ArrangedFloppy, LayoutProblem> arranged = ArrangePcFloppy(*disk);
    if (const ArrangedFloppy* floppy = std::get_if<ArrangedFloppy>(&arranged)) {
      const FloppyGeometry& g = floppy->geometry;
      if (!FindFloppyFormat(g) || floppy->bytes.size() != static_cast<std::size_t>(g.TotalBytes()) ||
          floppy->bad.size() != static_cast<std::size_t>(g.TotalSectors())) {
        __builtin_trap();
      }
    }
  }
  if (size >= 3 && std::memcmp(data, "IMD", 3) == 0) ReadThroughSourcePath(data, size, "imd", ".imd");
  return 0;
}
