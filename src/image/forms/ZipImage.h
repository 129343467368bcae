#pragma once
// Zip archives that other imaging tools make of one raw image (saved as .imz): read, never written. Only the
// plainest archive is accepted: one file entry (folder entries are passed over), stored or deflated, not
// encrypted, not split, no zip64; every size and offset is checked against the archive's bounds and against
// each other, and the unpacked bytes against the entry's CRC32.

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t kZipSignatureBytes = 4;

// True when data begins with a zip archive's first local header ("PK", 3, 4).
bool StartsWithZipSignature(const uint8_t* data, std::size_t size);

enum class ZipUnpack { Unpacked, Damaged, TooLarge };

// The one file of the archive in zip, unpacked into out. TooLarge when the entry states more than
// largestFile bytes (nothing is unpacked then); Damaged for any archive this reader does not accept.
ZipUnpack UnpackSingleFileZip(const uint8_t* zip, std::size_t size, std::size_t largestFile,
                              std::vector<uint8_t>& out);
