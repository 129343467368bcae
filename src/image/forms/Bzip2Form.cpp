#include "image/forms/Bzip2Form.h"

#include <array>

#include "base/Texts.h"
#include "image/forms/Bzip2StreamReader.h"
#include "image/forms/Bzip2StreamWriter.h"

namespace {

std::unique_ptr<FormReader> OpenWhole(const std::string& path, bool) { return OpenBzip2Stream(path, 0); }

std::unique_ptr<FormWriter> NewWriter(const FormWriteOptions&) { return std::make_unique<Bzip2StreamWriter>(); }

constexpr std::array<std::string_view, 1> kBzip2Extensions = {".imz"};

}  // namespace

const ImageForm kBzip2Form = {
    .name = "bzip2",
    .extensions = kBzip2Extensions,
    .description = kTextSaveFilterImz,
    .compressed = true,
    .rawSectors = false,
    .archive = false,
    .recordsBadSectors = false,
    .trailer = TrailerUse::Always,
    .recognises = nullptr,
    .holdsImage = nullptr,
    .openReader = &OpenWhole,
    .newWriter = &NewWriter,
    .checkItself = nullptr,
};
