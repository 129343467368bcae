#pragma once
// .imd: ImageDisk's archive of a disk, read and written (image/forms/ImdImage.h). It carries no trailer of
// ours: its comment is the description, its unavailable sectors are the bad ones.

#include "image/forms/ImageForm.h"

extern const ImageForm kImdForm;
