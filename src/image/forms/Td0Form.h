#pragma once
// .td0: Teledisk's archive of a disk, read only (image/forms/Td0Image.h). Its comment is the description;
// sectors without data, read with a CRC error or failing their own CRC are the bad ones.

#include "image/forms/ImageForm.h"

extern const ImageForm kTd0Form;
