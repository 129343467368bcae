// The self-extractor reads only the image it carries: this table stands in for the program's (linked
// first, so the program's is never taken), and keeps every compressor and other form out of the stub.
#include <array>

#include "image/forms/CarriedImageForm.h"
#include "image/forms/ImageForm.h"

namespace {

constexpr std::array<const ImageForm*, 1> kCarriedForms = {&kCarriedImageForm};

}  // namespace

std::span<const ImageForm* const> ImageForms() { return kCarriedForms; }
