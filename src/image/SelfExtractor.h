#pragma once
// The self-extracting container: stub program, image stream, optional picture stream, licence and
// instruction texts, a 1024-byte settings block and the trailer. The main program's own executable carries
// the stub directly after its own image.

#include <cstdint>
#include <optional>
#include <string>

#include "base/File.h"
#include "base/MessageBoxes.h"
#include "settings/Settings.h"

// A stub begins with these seven bytes: "MZ" and the usual first header words of an executable.
inline constexpr uint8_t kStubSignature[7] = {0x4D, 0x5A, 0x90, 0x00, 0x03, 0x00, 0x00};
inline constexpr int kSettingsBlockBytes = 1024;

// Opens programPath and positions it at the first byte of the stub (the first stub signature at or after
// offset 1024). nullopt after message 57682 (cannot open) or 57731 (no stub in the program file).
std::optional<File> FindStubStart(const std::string& programPath, IMessageBoxes& boxes);

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
// nullopt when the block is not a settings block of a known version.
std::optional<SettingsBlock> ParseSettingsBlock(const std::string& block);

// Appends picture, texts and settings block to the closed file at path. 0, or -1..-6 after messages 112,
// 57685, 123, 57686 ("0", "1", "2").
int WriteSelfExtractorData(const std::string& path, const SelfExeSettings& settings, IMessageBoxes& boxes);
