#include "app/ImagePanel.h"

#include "base/Format.h"
#include "base/Texts.h"
#include "image/ImageInfo.h"
#include "image/Integrity.h"

namespace {

// Sizes and geometry come from a trailer anyone can write: only what an image we can hold may state is
// shown, anything else (negative, too large, more free than total) is unknown.
bool PossibleBytes(int32_t bytes) { return bytes > 0 && static_cast<std::size_t>(bytes) <= kImageBufferBytes; }

std::string BytesShown(int32_t bytes) {
  return PossibleBytes(bytes) ? FormatText(kTextPanelBytes, {bytes >> 10, bytes}) : std::string(kTextPanelNone);
}

}  // namespace

ImagePanelTexts DescribeImage(const CImageInfo& image) {
  ImagePanelTexts texts;
  FloppyGeometry geometry = image.Geometry();
  bool possibleGeometry = geometry.tracks > 0 && geometry.sectorsPerTrack > 0 &&
                          geometry.TotalSectors() <= static_cast<int64_t>(kImageBufferBytes / kSectorBytes);
  texts.geometry = possibleGeometry ? FormatText(kTextPanelGeometry, {geometry.sectorsPerTrack, geometry.tracks,
                                                                      geometry.SizeKb()})
                                    : std::string(kTextPanelNone);
  texts.checksum = image.m_checksum != 0 ? FormatText(kTextPanelChecksum, {image.m_checksum}) : std::string(kTextPanelNone);
  bool freeFits = !PossibleBytes(image.m_totalBytes) || image.m_freeBytes <= image.m_totalBytes;
  texts.freeSpace = freeFits ? BytesShown(image.m_freeBytes) : std::string(kTextPanelNone);
  texts.totalSize = BytesShown(image.m_totalBytes);
  texts.canCheckIntegrity = image.m_checksum != 0;
  return texts;
}
