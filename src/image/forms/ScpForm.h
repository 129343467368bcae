#pragma once
// .scp: a SuperCard Pro flux capture (also written by Greaseweazle and other flux readers). Read, never
// written: its image is decoded from the flux (image/forms/CaptureImage.h).

#include "image/forms/ImageForm.h"

extern const ImageForm kScpForm;
