#pragma once
// A zip .imz that another imaging tool made: an archive of one raw image (with or without our trailer).
// Read, never written: its trailer, checksum and geometry are those of the file it carries.

#include "image/forms/ImageForm.h"

extern const ImageForm kZipForm;
