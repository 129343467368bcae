#pragma once
// What the self-extractor reads out of its own file before it shows a window: the carried image's record,
// the settings block, the texts and the picture. Each failure shows its message; the caller then ends.

#include <optional>
#include <string>
#include <vector>

#include "base/MessageBoxes.h"
#include "image/ImageInfo.h"
#include "image/forms/SelfExtractor.h"
#include "settings/Settings.h"

// The image record of ownPath (extension, image stream in the first 512 KB, trailer, geometry): 0, or -1
// after its message.
int CheckCarriedImage(const std::string& ownPath, CImageInfo& image, IMessageBoxes& boxes);

// The settings block, its offsets checked against the file: nullopt after the overlay message (also for a
// damaged block or offsets outside the file) or the cannot-open message.
std::optional<SettingsBlock> ReadOwnSettings(const std::string& ownPath, IMessageBoxes& boxes);

// A licence or instruction text: empty for an absent item; nullopt after the overlay message.
std::optional<std::string> ReadCarriedText(const std::string& ownPath, const ItemOffsets& item, IMessageBoxes& boxes);

// The picture's BMP file, decompressed.
struct CarriedPicture {
  bool fatal = false;          // its message was shown: the program ends
  std::vector<uint8_t> bytes;  // empty: fall back on the built-in picture (after the fallback message)
};
CarriedPicture ExtractPicture(const std::string& ownPath, const ItemOffsets& item, IMessageBoxes& boxes);

// "/b" in any case among the arguments (program name excluded).
bool ArgumentsAskDriveB(const std::vector<std::string>& arguments);

// The settings a write job of the self-extractor runs with: the block's options on the chosen drive ("A:",
// "B:"), never recreating bad sectors.
AppSettings WriteJobSettings(const SelfExeSettings& block, const std::string& drive);
