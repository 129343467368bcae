#include "floppy/linux/LinuxDriveList.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/Format.h"
#include "base/Geometry.h"
#include "base/Texts.h"

namespace {

// The first line of a sysfs attribute, without surrounding blanks; empty when it cannot be read.
std::string Attribute(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  line.erase(line.begin(), std::find_if_not(line.begin(), line.end(), blank));
  line.erase(std::find_if_not(line.rbegin(), line.rend(), blank).base(), line.end());
  return line;
}

int32_t FloppyKbOf(const std::string& sectors) {
  if (sectors.empty() || sectors.size() > 12 || !std::all_of(sectors.begin(), sectors.end(), [](char c) {
        return c >= '0' && c <= '9';
      })) {
    return 0;
  }
  int64_t bytes = std::stoll(sectors) * kSectorBytes;
  for (const FloppyFormat& format : FloppyFormats()) {
    if (FloppyGeometry{format.tracks, format.sectorsPerTrack}.TotalBytes() == bytes) return format.key;
  }
  return 0;
}

}  // namespace

std::vector<FoundDrive> FindFloppyDrives(ILinuxSyscalls& os, const std::string& sysBlock, const std::string& dev) {
  std::vector<FoundDrive> drives;
  for (int unit = 0; unit < 2; ++unit) {
    FoundDrive drive{dev + "/fd" + std::to_string(unit), unit == 0 ? "A:" : "B:", "", 0};
    if (!os.Stat(drive.node).blockDevice) continue;
    int fd = os.Open(drive.node, kLinuxOpenReadOnly | kLinuxOpenNonBlock | kLinuxOpenCloseOnExec);
    if (fd >= 0) {
      char name[kLinuxDriveNameBytes + 1] = {};
      if (os.Ioctl(fd, kFdGetDrvTyp, name) == 0) drive.type = name;
      os.Close(fd);
    }
    drives.push_back(drive);
  }
  std::error_code error;
  std::vector<std::string> disks;
  for (const auto& entry : std::filesystem::directory_iterator(sysBlock, error)) {
    disks.push_back(entry.path().filename().string());
  }
  std::sort(disks.begin(), disks.end());
  for (const std::string& disk : disks) {
    if (disk.rfind("fd", 0) == 0) continue;
    std::filesystem::path folder = std::filesystem::path(sysBlock) / disk;
    if (Attribute(folder / "removable") != "1") continue;
    int32_t sizeKb = FloppyKbOf(Attribute(folder / "size"));
    if (sizeKb == 0) continue;
    std::string type = Attribute(folder / "device" / "vendor");
    std::string model = Attribute(folder / "device" / "model");
    type += type.empty() || model.empty() ? model : " " + model;
    drives.push_back({dev + "/" + disk, "", type, sizeKb});
  }
  return drives;
}

std::string DescribeDrive(const FoundDrive& drive) {
  if (!drive.letter.empty()) {
    return FormatText(kTextDrivesController, {drive.letter, drive.node, drive.type.empty() ? "?" : drive.type});
  }
  return FormatText(kTextDrivesUsb, {drive.node, drive.type, drive.sizeKb});
}
