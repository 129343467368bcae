#pragma once
// ImageDisk files (.imd): a header line ("IMD 1.18: dd/mm/yyyy hh:mm:ss"), a comment ended by 0x1A, then one
// record per track: its mode (data rate, FM or MFM), cylinder, head (with flags for the optional maps),
// sector count and size code, the sector numbers in the order they pass the head, the optional cylinder and
// head maps of the sectors' IDs, then a record per sector: unavailable (0), or its data (1 to 8: all of it or
// one fill byte, with a deleted-data mark or not, read with a data error or not).

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Geometry.h"
#include "image/forms/ArchivedDisk.h"

ArchiveParse ParseImd(std::span<const uint8_t> file);

// A new file's header and comment, as ImageDisk 1.18 writes them: the header line of time, the comment's
// lines (each ended by CR LF), 0x1A.
std::string ImdHeader(std::string_view comment, const std::tm& time);
// The track records of a raw image of geometry: one per track and side, the sectors in the order a format
// writes them, uniform ones compressed to their fill byte, bad ones (one flag per sector) unavailable.
std::string ImdTracks(const FloppyGeometry& geometry, std::span<const uint8_t> raw, const std::vector<bool>& bad);
