#pragma once
// Teledisk files (.td0), read only: a 12-byte header ("TD", or "td" when everything after it is one
// advanced-compression stream: image/forms/Td0Decompress.h), an optional comment block, then per track a
// header and per sector a header and, unless the sector has none, its data: raw, a repeated 2-byte pattern, or
// runs. Header, comment and track headers carry CRCs (polynomial 0xA097); each sector the low byte of its
// data's. A track header whose sector count is 255 ends the file.

#include <cstdint>
#include <span>

#include "image/forms/ArchivedDisk.h"

inline constexpr int kTd0HeaderBytes = 12;

// Teledisk's CRC-16: polynomial 0xA097, preset 0, most significant bit first.
uint16_t Td0Crc(std::span<const uint8_t> bytes, uint16_t crc = 0);

ArchiveParse ParseTd0(std::span<const uint8_t> file);
