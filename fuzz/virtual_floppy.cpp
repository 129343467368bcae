// The virtual floppy file, an untrusted input of both front ends: whatever it accepts must encode back to the
// same bytes and decode to the same floppy, and the simulated drive must work on it (sense, read and write
// every side, format one, measure the FAT12 volume) without reaching outside the medium.
#include <vector>

#include "filesystem/Fat12.h"
#include "floppy/virtual/SimulatedDrive.h"
#include "floppy/virtual/VirtualFloppyFile.h"

namespace {

void Drive(VirtualFloppy floppy) {
  SimulatedDrive drive(floppy);
  drive.SpinUp();
  NtDiskGeometry reply;
  drive.SenseMedium(reply);
  const FloppyGeometry medium = floppy.geometry;
  std::vector<uint8_t> side(static_cast<std::size_t>(medium.SideBytes()));
  for (int64_t first = 0; first < medium.TotalSectors(); first += medium.sectorsPerTrack) {
    const auto count = static_cast<uint32_t>(medium.sectorsPerTrack);
    drive.ReadSectors(first, count, side.data());
    drive.WriteSectors(first, count, side.data());
  }
  drive.FormatSide({medium, 0, 1, FormatSectorIds(medium), 0x54, 12500});
  auto read = [&floppy](int64_t sector) { return floppy.ReadableSector(sector); };
  MeasureFat12(read, floppy.SlotCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  std::string problem;
  std::optional<VirtualFloppy> floppy = DecodeVirtualFloppy(bytes, problem);
  if (!floppy) {
    if (problem.empty()) __builtin_trap();
    return 0;
  }
  // Every field is checked on the way in, so an accepted file has exactly one encoding.
  const std::vector<uint8_t> again = EncodeVirtualFloppy(*floppy);
  if (again != bytes) __builtin_trap();
  std::optional<VirtualFloppy> decoded = DecodeVirtualFloppy(again, problem);
  if (!decoded || !(*decoded == *floppy)) __builtin_trap();
  Drive(std::move(*floppy));
  return 0;
}
