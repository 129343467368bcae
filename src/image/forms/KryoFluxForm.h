#pragma once
// KryoFlux stream files (track00.0.raw, track00.1.raw, ...): a flux capture of one file per track; any file
// of the set names the set. A .raw file that does not begin as a stream is no image. Read, never written:
// its image is decoded from the flux (image/forms/CaptureImage.h).

#include "image/forms/ImageForm.h"

extern const ImageForm kKryoFluxForm;
