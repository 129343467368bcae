#pragma once
// A loaded image's description changed in place of its trailer.

#include <string>

#include "base/MessageBoxes.h"
#include "image/ImageInfo.h"

// False for an image without a trailer and for a zip .imz (read, never written): its description changes
// only in a conversion to one of our forms.
bool DescriptionChangeable(const CImageInfo& image);

// Replaces the trailer of the loaded image with one carrying description (the record must come from
// LoadInfo). -1 after 57692 when the file has no trailer or is a zip .imz (nothing shown, the caller
// stops); -2 after 106 when the file cannot be opened for writing (the dialog stays open); 0 when the new
// trailer was written; -3 after 124 or 57701. The data and the trailer go into a new file beside the image, which replaces it
// only when complete, so the file never ends up without a trailer. The stored checksum is kept: the data
// is not rewritten, and a new checksum would vouch for data that may have been damaged since.
int ChangeDescription(CImageInfo& image, const std::string& description, IMessageBoxes& boxes);
