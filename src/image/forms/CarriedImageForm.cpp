#include "image/forms/CarriedImageForm.h"

#include "image/forms/Bzip2StreamReader.h"
#include "image/forms/SelfExtractor.h"

bool CarriesImage(const std::string& path) { return ExeHasImage(path) != 0; }

std::unique_ptr<FormReader> OpenCarriedImage(const std::string& path, bool) {
  return OpenBzip2Stream(path, FindImageStream(path));
}

const ImageForm kCarriedImageForm = SelfExtractingFormWith(nullptr);
