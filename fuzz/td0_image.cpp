// The Teledisk parser (and its stream decoder) on arbitrary files, with the header's CRC made right so that
// the fuzzer reaches what follows it, and the whole source path on those, written as .td0 files; the decoder
// alone on the raw bytes, which must stop at its limit.
#include <vector>

#include "ImageSourcePath.h"
#include "base/LittleEndian.h"
#include "image/forms/Td0Decompress.h"
#include "image/forms/Td0Image.h"

namespace {

constexpr std::size_t kLimit = 256 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::optional<std::vector<uint8_t>> unpacked = Td0Decompress(std::span(data, size), kLimit);
  if (unpacked && unpacked->size() > kLimit) __builtin_trap();

  std::vector<uint8_t> file(data, data + size);
  if (file.size() >= kTd0HeaderBytes) PutLe16(file.data() + 10, Td0Crc(std::span(file.data(), 10)));
  ArchiveParse parsed = ParseTd0(file);
  if (const ArchivedDisk* disk = std::get_if<ArchivedDisk>(&parsed)) {
    if (disk->bytes.size() > kLargestArchiveBytes) __builtin_trap();
    std::variant<ArrangedFloppy, LayoutProblem> arranged = ArrangePcFloppy(*disk);
    if (const ArrangedFloppy* floppy = std::get_if<ArrangedFloppy>(&arranged)) {
      if (floppy->bytes.size() != static_cast<std::size_t>(floppy->geometry.TotalBytes())) __builtin_trap();
    }
  }
  ReadThroughSourcePath(file.data(), file.size(), "td0", ".td0");
  return 0;
}
