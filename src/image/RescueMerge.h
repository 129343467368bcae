#pragma once
// More sectors for a rescue (an image with its map beside it): those its map still calls bad, taken from
// another source of the same disk (another capture of it, another rescue's image). A good sector is never
// replaced, and a source of another disk is refused before anything changes.

#include <cstdint>
#include <string>
#include <vector>

#include "base/MessageBoxes.h"
#include "image/Conversion.h"
#include "image/ImageInfo.h"

struct RescueMerge {
  bool merged = false;          // false: there was no rescue at the path, nothing was merged
  CImageInfo rescue;            // the rescue's record: its description and geometry go on
  std::vector<int64_t> filled;  // sectors the source gave that the rescue lacked
};

// Merges buffer (the source's raw image with its bad sectors) into the rescue at imagePath, after which buffer
// holds the rescue's sectors with the source's where the rescue had none. With neither image nor map at the
// path: 0, nothing merged. Refused, with the rescue untouched (-1 after the message): an image without its
// map (57894), a map that is damaged or another image's (57871), a source of another format or another disk
// (a sector good in both that differs). Before returning, the map calls every sector about to be filled
// untried, so that whichever of image and map is replaced last, the pair never calls a sector bad that the
// image holds.
int MergeIntoRescue(const std::string& sourcePath, const std::string& imagePath, ImageBuffer& buffer,
                    RescueMerge& merge, IMessageBoxes& boxes);
