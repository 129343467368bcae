#pragma once
// Reading the self-extracting form: the image stream behind the stub. The self-extractor's table holds this
// read-only row; the program's row (SelfExtractingForm.h) adds the writer, which lives apart so that the stub
// links no compressor.

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "base/Texts.h"
#include "image/forms/ImageForm.h"

// Whether the .exe at path carries an image stream (any other program does not).
bool CarriesImage(const std::string& path);
std::unique_ptr<FormReader> OpenCarriedImage(const std::string& path, bool hasTrailer);

inline constexpr std::array<std::string_view, 1> kSelfExtractingExtensions = {".exe"};

constexpr ImageForm SelfExtractingFormWith(std::unique_ptr<FormWriter> (*newWriter)(const FormWriteOptions&)) {
  return {
      .name = "self-extracting",
      .extensions = kSelfExtractingExtensions,
      .description = kTextSaveFilterExe,
      .compressed = true,
      .rawSectors = false,
      .archive = false,
      .recordsBadSectors = false,
      .trailer = TrailerUse::Always,
      .recognises = nullptr,
      .holdsImage = &CarriesImage,
      .openReader = &OpenCarriedImage,
      .newWriter = newWriter,
      .checkItself = nullptr,
  };
}

extern const ImageForm kCarriedImageForm;
