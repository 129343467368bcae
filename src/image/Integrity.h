#pragma once
// The integrity check: an image's CRC against the checksum its trailer stores.

#include "base/MessageBoxes.h"
#include "image/ImageInfo.h"

enum class IntegrityResult { NoChecksum, Good, Bad };
// Compares the file's CRC (trailer excluded) with the stored checksum and says so: 57697 (no checksum),
// 57698 (good, information icon) or 57699 (bad, also when the CRC cannot be computed). A zip .imz without
// a checksum of ours is checked against the archive's CRC-32 of its file instead (good: its own message).
IntegrityResult CheckIntegrity(const CImageInfo& image, IMessageBoxes& boxes);
