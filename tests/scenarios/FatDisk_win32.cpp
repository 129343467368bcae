#include "FatDisk_win32.h"

#include <windows.h>

#include "base/File.h"
#include "base/BadSectorMarker.h"
#include "support/ImageTestSupport.h"
#include "support/ZipTool.h"

namespace scenario {

std::optional<FatDisk> MakeFatDisk(Workspace& workspace) {
  const std::string folder = workspace.Path("mtools");
  ::CreateDirectoryW(Utf16(folder).c_str(), nullptr);
  RemoveFile(folder + "\\disk.img");  // an earlier run's
  WriteWhole(folder + "\\README.TXT", std::string(5000, 'r'));
  WriteWhole(folder + "\\BIG.BIN", std::string(3000, 'b'));
  // The image appears under its name only when everything succeeded; mshowfat says where BIG.BIN lies.
  const std::string script =
      "cd \"$0\" && mformat -C -f 1440 -v RESCUED -i part.img :: && mmd -i part.img ::DOCS && "
      "mcopy -i part.img README.TXT :: && mcopy -i part.img BIG.BIN ::DOCS/ && "
      "mshowfat -i part.img ::DOCS/BIG.BIN > fat.txt && mv part.img disk.img";
  if (!RunUnixProgram({"/bin/sh", "-c", script, UnixPathOf(folder)})) return std::nullopt;
  const std::string image = folder + "\\disk.img";
  if (!FileExists(image)) return std::nullopt;
  // "::/DOCS/BIG.BIN <13-18>"
  const std::string fat = ReadWhole(folder + "\\fat.txt");
  const std::size_t open = fat.find('<');
  if (open == std::string::npos) return std::nullopt;
  const int64_t cluster = std::stoll(fat.substr(open + 1));
  constexpr int64_t kDataStart = 33;  // boot sector, two FATs of 9 sectors, 14 root folder sectors
  return FatDisk{ReadWhole(image), kDataStart + cluster - 2};
}

std::string WithBadSector(std::string raw, int64_t sector) {
  FillBadSectorMarker(reinterpret_cast<uint8_t*>(raw.data()) + sector * 512);
  return raw;
}

}  // namespace scenario
