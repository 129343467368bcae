#include "app/CarriedImage.h"

#include "base/File.h"
#include "base/Texts.h"
#include "image/forms/BitmapFile.h"
#include "image/forms/Bzip2Reader.h"
#include "image/forms/ImageForm.h"

namespace {

// Beyond this the picture is no usable picture (kMaxBitmapSide square at 32 bits, with headers).
constexpr std::size_t kMaxPictureBytes = 4 * kMaxBitmapSide * kMaxBitmapSide + 4096;
constexpr std::size_t kPieceBytes = 10240;

void ShowLiteral(IMessageBoxes& boxes, const char* text, MessageIcon icon, std::initializer_list<FormatArg> args = {}) {
  boxes.Show(0, FormatText(text, args), icon);
}

void CannotOpenOwnFile(IMessageBoxes& boxes, const std::string& ownPath) {
  ShowLiteral(boxes, kTextSfxCannotOpenOwnFile, MessageIcon::Error, {boxes.ShownArgument(ownPath)});
}

}  // namespace

int CheckCarriedImage(const std::string& ownPath, CImageInfo& image, IMessageBoxes& boxes) {
  image.m_path = ownPath;
  if (!File::Open(ownPath, FileMode::Read)) {
    ShowError(boxes, kTextCannotOpen, {boxes.ShownArgument(ownPath)});
    return -1;
  }
  if (!image.CheckExtension()) {
    ShowError(boxes, kTextUnsupportedExtension);
    return -1;
  }
  if (!HoldsImage(ownPath)) {
    ShowError(boxes, kTextExeWithoutImage);
    return -1;
  }
  switch (image.ReadTrailer()) {
    case -1: CannotOpenOwnFile(boxes, ownPath); return -1;
    case -2: ShowError(boxes, kTextNewerVersion); return -1;
    default: break;
  }
  if ((!image.m_hasTrailer || !UsableGeometry(image.m_tracks, image.m_sectorsPerTrack)) &&
      !image.DetectGeometry(boxes)) {
    return -1;
  }
  image.m_state = ImageState::Source;
  return 0;
}

std::optional<SettingsBlock> ReadOwnSettings(const std::string& ownPath, IMessageBoxes& boxes) {
  File file = File::Open(ownPath, FileMode::Read);
  if (!file) {
    CannotOpenOwnFile(boxes, ownPath);
    return std::nullopt;
  }
  std::optional<uint64_t> size = file.Size();
  constexpr int64_t kTail = kSettingsBlockBytes + kTrailerBytes;
  std::string block(kSettingsBlockBytes, '\0');
  std::optional<SettingsBlock> parsed;
  if (size && *size >= static_cast<uint64_t>(kTail) && file.Seek(static_cast<int64_t>(*size) - kTail, SEEK_SET) &&
      file.Read(block.data(), block.size()) == block.size()) {
    parsed = ParseContainerBlock(block, static_cast<int64_t>(*size));
  }
  if (!parsed) ShowLiteral(boxes, kTextSfxCannotReadOverlay, MessageIcon::Error);
  return parsed;
}

std::optional<std::string> ReadCarriedText(const std::string& ownPath, const ItemOffsets& item, IMessageBoxes& boxes) {
  if (item.start == 0) return std::string();
  if (!File::Open(ownPath, FileMode::Read)) {
    CannotOpenOwnFile(boxes, ownPath);
    return std::nullopt;
  }
  std::optional<std::string> text = ReadContainerText(ownPath, item);
  if (!text) ShowLiteral(boxes, kTextSfxCannotReadOverlay, MessageIcon::Error);
  return text;
}

CarriedPicture ExtractPicture(const std::string& ownPath, const ItemOffsets& item, IMessageBoxes& boxes) {
  CarriedPicture picture;
  File file = File::Open(ownPath, FileMode::Read);
  Bzip2Reader stream;
  if (!file || item.start <= 0 || !file.Seek(item.start, SEEK_SET) || !stream.Open(file.get())) {
    ShowError(boxes, kTextCannotOpen, {boxes.ShownArgument(ownPath)});
    picture.fatal = true;
    return picture;
  }
  std::vector<uint8_t> piece(kPieceBytes);
  bool tooLarge = false;
  for (;;) {
    int64_t got = stream.Read(piece.data(), piece.size());
    if (got < 0) {
      ShowError(boxes, kTextImageReadFailed);
      picture.fatal = true;
      picture.bytes.clear();
      return picture;
    }
    if (got == 0) break;
    if (picture.bytes.size() + static_cast<std::size_t>(got) > kMaxPictureBytes) {
      tooLarge = true;
      break;
    }
    picture.bytes.insert(picture.bytes.end(), piece.begin(), piece.begin() + got);
  }
  if (tooLarge || !IsUsableBitmap(picture.bytes.data(), picture.bytes.size())) {
    picture.bytes.clear();
    ShowLiteral(boxes, kTextSfxPictureFallback, MessageIcon::Information);
  }
  return picture;
}

bool ArgumentsAskDriveB(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument.size() == 2 && argument[0] == '/' && (argument[1] == 'b' || argument[1] == 'B')) return true;
  }
  return false;
}

AppSettings WriteJobSettings(const SelfExeSettings& block, const std::string& drive) {
  AppSettings settings;
  settings.m_suppress = 0;
  settings.m_emergency = 0;
  settings.m_compatible = 0;
  settings.m_fdLetter = drive;
  settings.m_formatDisk = block.m_format != 0 ? 1 : 0;
  settings.m_verifyFormat = block.m_verifyFormat != 0 ? 1 : 0;
  settings.m_verifyWrite = block.m_verifyWrite != 0 ? 1 : 0;
  settings.m_recreateBad = 0;
  settings.m_windowFx = block.m_windowFx != 0 ? 1 : 0;
  return settings;
}
