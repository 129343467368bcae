#include "image/forms/Td0Form.h"

#include <array>

#include "base/Texts.h"
#include "image/forms/ArchiveForm.h"
#include "image/forms/Td0Image.h"

namespace {

constexpr ArchiveKind kTeledisk = {"Teledisk", &ParseTd0, kTextTd0CheckGood, true};

std::optional<FormFacts> Facts(const std::string& path, IMessageBoxes& boxes) {
  return ArchiveFacts(kTeledisk, path, boxes);
}

std::unique_ptr<FormReader> Open(const std::string& path, bool) { return OpenArchiveReader(kTeledisk, path); }

bool Check(const std::string& path, IMessageBoxes& boxes) { return CheckArchive(kTeledisk, path, boxes); }

constexpr std::array<std::string_view, 1> kTd0Extensions = {".td0"};

}  // namespace

const ImageForm kTd0Form = {
    .name = "teledisk",
    .extensions = kTd0Extensions,
    .description = kTextFormTd0,
    .compressed = false,
    .rawSectors = false,
    .archive = false,
    .recordsBadSectors = false,
    .trailer = TrailerUse::Never,
    .recognises = nullptr,
    .holdsImage = nullptr,
    .openReader = &Open,
    .newWriter = nullptr,
    .checkItself = &Check,
    .readFacts = &Facts,
    .ownOpenFilter = true,
};
