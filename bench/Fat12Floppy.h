#pragma once
// A deterministic 1.44 MB FAT12 floppy with the mix a real one has: text files, executable-like binaries,
// structured data, and zero-filled free space.

#include <cstdint>
#include <vector>

std::vector<uint8_t> MakeFat12Floppy();

// A 1.44 MB FAT12 floppy of folders, each holding filesPerFolder files of fileBytes (prose, a cluster chain
// each): DIR00001/F0000001.TXT and so on. A folder takes as many clusters as its entries need, so one folder
// may hold thousands.
std::vector<uint8_t> MakeFat12Tree(int folders, int filesPerFolder, std::size_t fileBytes);
