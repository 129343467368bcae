#include "image/forms/KryoFluxForm.h"

#include <array>

#include "base/Texts.h"
#include "flux/KryoFluxSet.h"
#include "flux/KryoFluxStream.h"
#include "image/forms/CaptureImage.h"

namespace {

std::unique_ptr<FormReader> OpenStreams(const std::string& path, bool) { return OpenCaptureImage(path); }

constexpr std::array<std::string_view, 1> kKryoFluxExtensions = {".raw"};

}  // namespace

const ImageForm kKryoFluxForm = {
    .name = "kryoflux",
    .extensions = kKryoFluxExtensions,
    .description = kTextFormKryoFlux,
    .compressed = false,
    .rawSectors = false,
    .archive = false,
    .recordsBadSectors = false,
    .trailer = TrailerUse::Never,
    .recognises = &StartsLikeKryoFluxStream,
    .holdsImage = nullptr,
    .openReader = &OpenStreams,
    .newWriter = nullptr,
    .checkItself = nullptr,
    .ownOpenFilter = true,
    .openCapture = &OpenKryoFluxSet,
    .showUnreadable = &ShowCaptureUnreadable,
};
