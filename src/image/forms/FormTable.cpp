// The table of forms stands alone so that a program reading a single form (the self-extractor) can link
// its own table instead, without every other form's reader and writer.
#include <array>

#include "image/forms/Bzip2Form.h"
#include "image/forms/ImageForm.h"
#include "image/forms/RawForm.h"
#include "image/forms/SelfExtractingForm.h"
#include "image/forms/ZipForm.h"

namespace {

// The order the file dialogs offer them in (a saved filter index counts in it): the first of several
// forms of one extension is the one a save makes.
constexpr std::array<const ImageForm*, 4> kForms = {&kBzip2Form, &kZipForm, &kRawForm, &kSelfExtractingForm};

}  // namespace

std::span<const ImageForm* const> ImageForms() { return kForms; }
