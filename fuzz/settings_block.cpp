// The settings block and the container around it, read from arbitrary bytes: the input is a whole
// self-extracting file, and also a settings block on its own.
#include <string>

#include "image/forms/ImageForm.h"
#include "image/forms/SelfExtractor.h"

namespace {

void CheckRoundTrip(const SettingsBlock& parsed) {
  std::optional<SettingsBlock> again = ParseSettingsBlock(FormatSettingsBlock(parsed));
  if (!again || again->picture.start != parsed.picture.start || again->picture.end != parsed.picture.end ||
      again->licence.start != parsed.licence.start || again->licence.end != parsed.licence.end ||
      again->instructions.start != parsed.instructions.start ||
      again->instructions.end != parsed.instructions.end ||
      again->settings.m_driveB != parsed.settings.m_driveB ||
      again->settings.m_windowFx != parsed.settings.m_windowFx) {
    __builtin_trap();
  }
}

// Touches every byte of every item the block places in the file: out of bounds if the checks let one pass.
unsigned SumItems(const uint8_t* data, const SettingsBlock& block) {
  unsigned sum = 0;
  for (const ItemOffsets& item : {block.picture, block.licence, block.instructions}) {
    for (int32_t i = item.start; i < item.end; ++i) sum += data[i];
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (std::optional<SettingsBlock> alone = ParseSettingsBlock(bytes)) CheckRoundTrip(*alone);

  std::size_t searched = size < static_cast<std::size_t>(kExeSearchBytes) ? size : kExeSearchBytes;
  volatile int64_t stream = FindImageStreamIn(data, searched);
  (void)stream;
  constexpr std::size_t kTail = kSettingsBlockBytes + kTrailerBytes;
  if (size < kTail) return 0;
  std::string block = bytes.substr(size - kTail, kSettingsBlockBytes);
  if (std::optional<SettingsBlock> parsed = ParseContainerBlock(block, static_cast<int64_t>(size))) {
    volatile unsigned sum = SumItems(data, *parsed);
    (void)sum;
  }
  return 0;
}
