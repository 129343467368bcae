// The integrity check: the file's data against the checksum its trailer stores.
#include "base/Texts.h"
#include "image/Integrity.h"
#include "image/forms/ImageContent.h"

IntegrityResult CheckIntegrity(const CImageInfo& image, IMessageBoxes& boxes) {
  if ((!image.m_hasTrailer || image.m_checksum == 0) && IsZipImage(image.m_path)) {
    // Another tool's zip of a raw image carries no checksum of ours, but the archive's own CRC-32 of the
    // image is checked whenever it is unpacked.
    ImageContent content;
    if (content.OpenImage(image.m_path) != ImageContent::Status::Ready) {
      ShowError(boxes, kTextCrcBad);
      return IntegrityResult::Bad;
    }
    boxes.Show(0, kTextZipCrcGood, MessageIcon::Information);
    return IntegrityResult::Good;
  }
  if (!image.m_hasTrailer || image.m_checksum == 0) {
    ShowError(boxes, kTextNoChecksum);
    return IntegrityResult::NoChecksum;
  }
  uint32_t crc = 0;
  if (image.ComputeCrc32(true, crc) != 0 || crc != image.m_checksum) {
    ShowError(boxes, kTextCrcBad);
    return IntegrityResult::Bad;
  }
  ShowInformation(boxes, kTextCrcGood);
  return IntegrityResult::Good;
}
