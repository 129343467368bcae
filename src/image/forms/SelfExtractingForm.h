#pragma once
// .exe: the self-extractor's stub, the raw sectors as a bzip2 stream, the self-extractor's data (picture,
// texts, settings block) and our trailer (image/forms/SelfExtractor.h has the container).

#include "image/forms/ImageForm.h"

extern const ImageForm kSelfExtractingForm;
