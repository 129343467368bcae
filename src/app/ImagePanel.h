#pragma once
// The texts of the main window's image information panel for an image record.

#include <string>

#include "image/ImageInfo.h"

struct ImagePanelTexts {
  std::string geometry;  // "18 扇区/磁轨，80 个磁轨 (1440 kB)" or "N/A"
  std::string checksum;  // "0x1A2B3C4D" or "N/A"
  std::string freeSpace; // "%d kB (%d 字节)" or "N/A"
  std::string totalSize;
  bool canCheckIntegrity = false;  // the checksum is not 0
  // Another tool's form that says itself what it holds: "ImageDisk 映像文件 (*.imd)"; empty for ours.
  std::string format;
};

ImagePanelTexts DescribeImage(const CImageInfo& image);
