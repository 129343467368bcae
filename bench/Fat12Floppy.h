#pragma once
// A deterministic 1.44 MB FAT12 floppy with the mix a real one has: text files, executable-like binaries,
// structured data, and zero-filled free space.

#include <cstdint>
#include <vector>

std::vector<uint8_t> MakeFat12Floppy();
