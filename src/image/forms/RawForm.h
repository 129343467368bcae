#pragma once
// .img: the raw sectors in disk order, then our trailer (unless compatible mode leaves it off, so that other
// tools can use the file).

#include "image/forms/ImageForm.h"

extern const ImageForm kRawForm;
