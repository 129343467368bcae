#include "image/WholeImageCheck.h"

#include <string>
#include <vector>

#include "base/Texts.h"
#include "image/ImageInfo.h"
#include "image/trailer/Crc32.h"
#include "image/forms/ImageForm.h"
#include "image/ImageReader.h"

namespace {

// A whole number of sectors: the reader fills every chunk but the last, so blocks never straddle two.
constexpr std::size_t kChunkBytes = 128 * kSectorBytes;

}  // namespace

int CheckWholeImage(const CImageInfo& image, IMessageBoxes& boxes, const ImageBlockVisitor& onBlock,
                    const char* afterBadChecksum) {
  ImageReader reader(boxes);
  if (reader.Open(image) != 0) return -1;
  // A plain image's raw bytes are the file less its trailer, exactly what the checksum covers: one pass.
  const ImageForm* form = FormOfFile(image.m_path);
  bool plain = form && form->rawSectors;
  Crc32 sum;
  std::vector<uint8_t> chunk(kChunkBytes);
  uint64_t total = 0;
  for (;;) {
    int64_t got = reader.Read(chunk.data(), chunk.size());
    if (got < 0) return -1;
    if (got == 0) break;
    total += static_cast<uint64_t>(got);
    if (total > kImageBufferBytes) {
      ShowError(boxes, kTextImageLargerThan2MB);
      return -1;
    }
    std::size_t bytes = static_cast<std::size_t>(got);
    if (plain) sum.Update(chunk.data(), bytes);
    if (onBlock) {
      for (std::size_t at = 0; at + kSectorBytes <= bytes; at += kSectorBytes) onBlock(chunk.data() + at);
    }
  }
  reader.Close();
  if (!image.m_hasTrailer || image.m_checksum == 0) return 0;
  uint32_t crc = sum.Value();
  bool computed = plain || image.ComputeCrc32(true, crc) == 0;
  if (computed && crc == image.m_checksum) return 0;
  if (afterBadChecksum) {
    boxes.Show(kTextCrcBad, std::string(TextOf(kTextCrcBad)) + "\n" + afterBadChecksum, MessageIcon::Error);
  } else {
    ShowError(boxes, kTextCrcBad);
  }
  return -1;
}
