#pragma once
// .imz: the raw sectors as one bzip2 stream, then our trailer.

#include "image/forms/ImageForm.h"

extern const ImageForm kBzip2Form;
