#include "app/ImagePanel.h"

#include "base/Format.h"
#include "base/Texts.h"

namespace {

std::string Bytes(int32_t bytes) {
  return bytes != 0 ? FormatText(kTextPanelBytes, {bytes >> 10, bytes}) : std::string(kTextPanelNone);
}

}  // namespace

ImagePanelTexts DescribeImage(const CImageInfo& image) {
  ImagePanelTexts texts;
  texts.geometry = image.m_sectorsPerTrack != 0 && image.m_tracks != 0
                       ? FormatText(kTextPanelGeometry, {image.m_sectorsPerTrack, image.m_tracks,
                                                         image.m_sectorsPerTrack * image.m_tracks})
                       : std::string(kTextPanelNone);
  texts.checksum = image.m_checksum != 0 ? FormatText(kTextPanelChecksum, {image.m_checksum}) : std::string(kTextPanelNone);
  texts.freeSpace = Bytes(image.m_freeBytes);
  texts.totalSize = Bytes(image.m_totalBytes);
  texts.canCheckIntegrity = image.m_checksum != 0;
  return texts;
}
