#include "app/DamagedFiles.h"

#include "base/MessageBoxes.h"
#include "filesystem/FatVolume.h"
#include "image/ImageSectors.h"

namespace {

// The report reads the image quietly: a failure there must not stand between the user and the report.
class QuietBoxes final : public IMessageBoxes {
 public:
  MessageAnswer Show(int, const std::string&, MessageIcon) override { return MessageAnswer::No; }
};

}  // namespace

std::optional<DamagedFiles> ReadDamagedFiles(const std::string& imagePath) {
  QuietBoxes quiet;
  std::optional<DiskSectors> disk = LoadImageSectors(imagePath, quiet);
  if (!disk) return std::nullopt;
  std::optional<FatVolume> volume = FatVolume::Read(std::move(*disk));
  if (!volume) return std::nullopt;
  return DamagedFiles{DamagedRows(*volume), AreasSummary(*volume)};
}
