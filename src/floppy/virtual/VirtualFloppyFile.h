#pragma once
// The virtual floppy file (docs/virtual-floppy.md): one versioned file per drive and medium. A file is
// untrusted input: every field is checked before use and the size must match exactly.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "floppy/virtual/VirtualFloppy.h"

inline constexpr char kVirtualFloppyMagic[8] = {'D', 'K', 'V', 'F', 'L', 'O', 'P', 'Y'};
inline constexpr uint16_t kVirtualFloppyVersion = 1;
inline constexpr uint32_t kVirtualFloppyHeaderBytes = 64;
inline constexpr uint32_t kVirtualFloppySlotBytes = 4;

std::vector<uint8_t> EncodeVirtualFloppy(const VirtualFloppy& floppy);
// The floppy, or nullopt with problem saying what is wrong.
std::optional<VirtualFloppy> DecodeVirtualFloppy(const std::vector<uint8_t>& bytes, std::string& problem);

struct VirtualFloppyLoad {
  std::optional<VirtualFloppy> floppy;
  bool missing = false;  // no such file (as opposed to a damaged one)
  std::string problem;
};
VirtualFloppyLoad LoadVirtualFloppy(const std::string& path);

// Saves the floppy through FileSave: readers see the old or the new floppy, never a mix.
bool SaveVirtualFloppy(const std::string& path, const VirtualFloppy& floppy);
