#pragma once
// The self-extracting container: stub program, image stream, optional picture stream, licence and
// instruction texts, a 1024-byte settings block and the trailer. The main program's own executable carries
// the stub directly after its own image.

#include <cstdint>
#include <optional>
#include <string>

#include "base/File.h"
#include "base/MessageBoxes.h"
#include "image/forms/Signatures.h"
#include "image/trailer/Trailer.h"
#include "settings/Settings.h"

inline constexpr int kSettingsBlockBytes = 1024;

// Readers search the signature of an .exe image in its first 512 KB.
inline constexpr int64_t kExeSearchBytes = 0x80000;
// Offset of the first bzip2 signature within the first 512 KB of the file, or -1.
int64_t FindImageStream(const std::string& path);
// Offset of the first bzip2 signature within data, or -1.
int64_t FindImageStreamIn(const uint8_t* data, std::size_t size);
// 1 when the .exe file carries an image stream, else 0.
int ExeHasImage(const std::string& path);

struct ItemOffsets {
  int32_t start = 0;
  int32_t end = 0;
};

// The settings block's fields as written by the builder and read by the self-extractor.
struct SettingsBlock {
  ItemOffsets picture, licence, instructions;
  SelfExeSettings settings;  // only the fields the block carries
};

// The 1024-byte block (text in the system code page, NUL-filled).
std::string FormatSettingsBlock(const SettingsBlock& block);
// nullopt when the block is not a settings block of a known version. Reads at most kSettingsBlockBytes
// bytes; an absent field is 0 or empty.
std::optional<SettingsBlock> ParseSettingsBlock(const std::string& block);
// The block of a container of fileBytes bytes, checked against it: nullopt unless every item present lies
// within the data before the settings block.
std::optional<SettingsBlock> ParseContainerBlock(const std::string& block, int64_t fileBytes);
// The checked settings block of the self-extracting image at path (the 1024 bytes ending 1024 bytes before
// its end).
std::optional<SettingsBlock> ReadSettingsBlock(const std::string& path);
// A licence or instruction text of the container, converted from the system code page; nullopt when it
// cannot be read. Use offsets from ReadSettingsBlock.
std::optional<std::string> ReadContainerText(const std::string& path, const ItemOffsets& item);
