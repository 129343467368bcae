#include "base/Geometry.h"

#include "base/Texts.h"

const std::vector<FloppyFormat>& FloppyFormats() {
  static const std::vector<FloppyFormat> formats = {
      {360, 40, 9, 368640, kMediaF5_360_512, false, 0x50, false, 0x27, 0x09, true},
      {720, 80, 9, 737280, kMediaF3_720_512, false, 0x50, false, 0x4F, 0x09, true},
      {800, 80, 10, 819200, kMediaF3_720_512, true, 46, false, 0x4F, 0x09, false},
      {1200, 80, 15, 1228800, kMediaF5_1Pt2_512, false, 0x54, false, 0x4F, 0x0F, true},
      {1440, 80, 18, 1474560, kMediaF3_1Pt44_512, false, 0x6C, false, 0x4F, 0x12, true},
      {1680, 80, 21, 1720320, kMediaF3_1Pt44_512, true, 12, true, 0x4F, 0x12, false},
  };
  return formats;
}

const FloppyFormat* FindFloppyFormat(const FloppyGeometry& geometry) {
  int64_t key = int64_t{geometry.tracks} * geometry.sectorsPerTrack;
  for (const FloppyFormat& format : FloppyFormats()) {
    if (format.key == key) return &format;
  }
  return nullptr;
}

const FloppyFormat* FloppyFormatOfSize(int64_t bytes) {
  for (const FloppyFormat& format : FloppyFormats()) {
    if (format.nominalBytes == bytes) return &format;
  }
  return nullptr;
}

std::vector<uint16_t> FormatSectorIds(const FloppyGeometry& geometry) {
  int count = geometry.sectorsPerTrack > 0 ? geometry.sectorsPerTrack : 0;
  std::vector<uint16_t> ids(static_cast<std::size_t>(count));
  const FloppyFormat* format = FindFloppyFormat(geometry);
  if (format && format->interleaved) {
    // Even positions get 1, 2, 3, ...; odd positions the numbers that follow.
    uint16_t next = 1;
    for (int position = 0; position < count; position += 2) ids[static_cast<std::size_t>(position)] = next++;
    for (int position = 1; position < count; position += 2) ids[static_cast<std::size_t>(position)] = next++;
  } else {
    for (int i = 0; i < count; ++i) ids[static_cast<std::size_t>(i)] = static_cast<uint16_t>(i + 1);
  }
  return ids;
}

FloppyGeometry ClassifyImageSize(int64_t bytes) {
  for (const FloppyFormat& format : FloppyFormats()) {
    if (bytes > format.nominalBytes - 10240 && bytes < format.nominalBytes + 10240) {
      return {format.tracks, format.sectorsPerTrack};
    }
  }
  return {80, 18};
}

int CheckFormatSupported(const FloppyGeometry& image, uint32_t ntMajorVersion, IMessageBoxes& boxes) {
  bool supported;
  if (ntMajorVersion != 0) {
    supported = static_cast<uint32_t>(image.sectorsPerTrack) <= 80;
  } else {
    int64_t total = image.TotalBytes();
    supported = total == 368640 || total == 737280 || total == 1228800 || total == 1474560;
  }
  if (supported) return 0;
  ShowError(boxes, kTextUnsupportedFormat, {image.tracks, image.sectorsPerTrack});
  return -1;
}

namespace {

bool Is525(const FloppyGeometry& g) {
  return (g.tracks == 40 && g.sectorsPerTrack == 9) || (g.tracks == 80 && g.sectorsPerTrack == 15);
}

bool Is35(const FloppyGeometry& g) {
  return g.tracks == 80 && (g.sectorsPerTrack == 9 || g.sectorsPerTrack == 18 || g.sectorsPerTrack == 21);
}

bool HighDensity(int sectorsPerTrack) { return sectorsPerTrack == 18 || sectorsPerTrack == 21; }

}  // namespace

int CheckDiskMatchesImage(const FloppyGeometry& image, const FloppyGeometry& disk, IMessageBoxes& boxes) {
  if (image == disk) return 0;
  const char* medium = nullptr;
  int formatKb = 0;
  if (Is525(image) && Is35(disk)) {
    medium = kTextMedium525;
  } else if (Is35(image) && Is525(disk)) {
    medium = kTextMedium35;
  } else if (image.sectorsPerTrack == 9 && HighDensity(disk.sectorsPerTrack)) {
    medium = kTextMediumDD;
  } else if (HighDensity(image.sectorsPerTrack) && disk.sectorsPerTrack == 9) {
    medium = kTextMediumHD;
  } else if (image.sectorsPerTrack == 18 && disk.sectorsPerTrack == 21) {
    formatKb = 1440;
  } else if (image.sectorsPerTrack == 21 && disk.sectorsPerTrack == 18) {
    formatKb = 1680;
  } else {
    formatKb = image.SizeKb();
  }
  if (medium) {
    ShowError(boxes, kTextDiskMismatchMedium, {medium});
  } else {
    ShowError(boxes, kTextDiskMismatchFormat, {formatKb});
  }
  return -1;
}
