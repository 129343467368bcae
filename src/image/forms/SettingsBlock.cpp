// The settings block of a self-extracting image: formatted for the builder, parsed (from untrusted bytes)
// for the self-extractor.
#include <algorithm>

#include "base/CodePage.h"
#include "base/Format.h"
#include "image/forms/SelfExtractor.h"
#include "image/trailer/TagScanner.h"

namespace {

constexpr std::string_view kVersionTag = "[FileVersion ";
constexpr int kBlockVersion = 3;
constexpr std::size_t kTitleBytes = 100;

int Flag(uint32_t value) { return value != 0 ? 1 : 0; }

// A title cut where the block's field terminator or the text's end would cut it anyway.
std::string TitleBytes(std::string_view title) {
  title = title.substr(0, title.find_first_of(std::string_view("\x01\0", 2)));
  return ToSystemCodePageCut(title, kTitleBytes);
}

SelfExeSettings EmptySettings() {
  SelfExeSettings s;
  s.m_customPicture = s.m_windowFx = s.m_licenseDisplay = s.m_licensePicture = 0;
  s.m_createPicture = s.m_createDescription = s.m_format = s.m_verifyFormat = s.m_verifyWrite = 0;
  s.m_driveB = s.m_overwriteDialog = s.m_successDialog = s.m_restartDialog = 0;
  s.m_picturePath.clear();
  s.m_licenseTitle.clear();
  s.m_licenseText.clear();
  s.m_createTitle.clear();
  s.m_createText.clear();
  return s;
}

void ReadFlag(TagScanner& scanner, std::string_view tag, uint32_t& field) {
  if (auto value = scanner.Number(tag)) field = *value != 0 ? 1 : 0;
}

void ReadOffsets(TagScanner& scanner, std::string_view tag, ItemOffsets& item) {
  if (auto pair = scanner.Pair(tag)) item = {pair->first, pair->second};
}

void ReadTitle(TagScanner& scanner, std::string_view tag, std::string& field) {
  if (auto text = scanner.Text(tag)) field = FromSystemCodePage(*text);
}

bool ItemFits(const ItemOffsets& item, int64_t dataEnd) {
  if (item.start == 0 && item.end == 0) return true;
  return item.start > 0 && item.start <= item.end && item.end <= dataEnd;
}

}  // namespace

std::string FormatSettingsBlock(const SettingsBlock& block) {
  const SelfExeSettings& s = block.settings;
  std::string text = FormatText(
      "[FileVersion %s] [BMPStart %d %d] [LicenseStart %d %d] [InfoStart %d %d] [PictureCustom %d] "
      "[LicenseDialog %d] [LicensePicture %d] [LicenseTitle %s\x01] [CreatePicture %d] [CreateDescription %d] "
      "[CreateTitle %s\x01] [VerifyWrite %d] [Format %d] [VerifyFormat %d] [DriveB %d] [CreateOverwrite %d] "
      "[CreateSuccess %d] [CreateRestart %d] [ApplicationAlpha %d]",
      {"003", block.picture.start, block.picture.end, block.licence.start, block.licence.end,
       block.instructions.start, block.instructions.end, Flag(s.m_customPicture), Flag(s.m_licenseDisplay),
       Flag(s.m_licensePicture), TitleBytes(s.m_licenseTitle), Flag(s.m_createPicture),
       Flag(s.m_createDescription), TitleBytes(s.m_createTitle), Flag(s.m_verifyWrite), Flag(s.m_format),
       Flag(s.m_verifyFormat), Flag(s.m_driveB), Flag(s.m_overwriteDialog), Flag(s.m_successDialog),
       Flag(s.m_restartDialog), Flag(s.m_windowFx)});
  text.resize(kSettingsBlockBytes, '\0');
  return text;
}

std::optional<SettingsBlock> ParseSettingsBlock(const std::string& block) {
  std::string_view text = BlockText(block.data(), std::min(block.size(), std::size_t{kSettingsBlockBytes}));
  if (!text.starts_with(kVersionTag)) return std::nullopt;
  int32_t version = ReadDecimal(text, kVersionTag.size());
  if (version < 1 || version > kBlockVersion) return std::nullopt;

  SettingsBlock parsed;
  parsed.settings = EmptySettings();
  SelfExeSettings& s = parsed.settings;
  TagScanner scanner(text);
  ReadOffsets(scanner, "[BMPStart ", parsed.picture);
  ReadOffsets(scanner, "[LicenseStart ", parsed.licence);
  ReadOffsets(scanner, "[InfoStart ", parsed.instructions);
  ReadFlag(scanner, "[PictureCustom ", s.m_customPicture);
  ReadFlag(scanner, "[LicenseDialog ", s.m_licenseDisplay);
  ReadFlag(scanner, "[LicensePicture ", s.m_licensePicture);
  ReadTitle(scanner, "[LicenseTitle ", s.m_licenseTitle);
  ReadFlag(scanner, "[CreatePicture ", s.m_createPicture);
  ReadFlag(scanner, "[CreateDescription ", s.m_createDescription);
  ReadTitle(scanner, "[CreateTitle ", s.m_createTitle);
  ReadFlag(scanner, "[VerifyWrite ", s.m_verifyWrite);
  ReadFlag(scanner, "[Format ", s.m_format);
  ReadFlag(scanner, "[VerifyFormat ", s.m_verifyFormat);
  ReadFlag(scanner, "[DriveB ", s.m_driveB);
  ReadFlag(scanner, "[CreateOverwrite ", s.m_overwriteDialog);
  ReadFlag(scanner, "[CreateSuccess ", s.m_successDialog);
  ReadFlag(scanner, "[CreateRestart ", s.m_restartDialog);
  ReadFlag(scanner, "[ApplicationAlpha ", s.m_windowFx);
  return parsed;
}

std::optional<SettingsBlock> ParseContainerBlock(const std::string& block, int64_t fileBytes) {
  std::optional<SettingsBlock> parsed = ParseSettingsBlock(block);
  if (!parsed) return std::nullopt;
  int64_t dataEnd = fileBytes - kSettingsBlockBytes - kTrailerBytes;
  if (!ItemFits(parsed->picture, dataEnd) || !ItemFits(parsed->licence, dataEnd) ||
      !ItemFits(parsed->instructions, dataEnd)) {
    return std::nullopt;
  }
  return parsed;
}
