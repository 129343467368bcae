#include "image/forms/ScpForm.h"

#include <array>

#include "base/Texts.h"
#include "flux/ScpCapture.h"
#include "image/forms/CaptureImage.h"

namespace {

std::unique_ptr<FormReader> OpenScp(const std::string& path, bool) { return OpenCaptureImage(path); }

constexpr std::array<std::string_view, 1> kScpExtensions = {".scp"};

}  // namespace

const ImageForm kScpForm = {
    .name = "scp",
    .extensions = kScpExtensions,
    .description = kTextFormScp,
    .compressed = false,
    .rawSectors = false,
    .archive = false,
    .recordsBadSectors = false,
    .trailer = TrailerUse::Never,
    .recognises = &StartsLikeScp,
    .holdsImage = nullptr,
    .openReader = &OpenScp,
    .newWriter = nullptr,
    .checkItself = nullptr,
    .ownOpenFilter = true,
    .openCapture = &OpenScpCapture,
    .showUnreadable = &ShowCaptureUnreadable,
};
