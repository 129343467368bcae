// The integrity check: the file's data against the checksum its trailer stores.
#include "base/Texts.h"
#include "image/Integrity.h"
#include "image/forms/ImageForm.h"

IntegrityResult CheckIntegrity(const CImageInfo& image, IMessageBoxes& boxes) {
  if (!image.m_hasTrailer || image.m_checksum == 0) {
    // Another tool's image carries no checksum of ours, but its form may check itself.
    const ImageForm* form = FormOfFile(image.m_path);
    if (form && form->checkItself) {
      return form->checkItself(image.m_path, boxes) ? IntegrityResult::Good : IntegrityResult::Bad;
    }
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
