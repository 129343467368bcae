#pragma once
// The files window's changes to the disk of an image: files and folders added, folders made, entries deleted,
// each all or nothing on the disk held in memory and its refusals shown as messages, the whole saved at once
// through the one save path. While the window may change the image, the image is held against other changes.
// And a new image of a blank disk, as the File menu makes it.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "base/MessageBoxes.h"
#include "filesystem/FatVolume.h"
#include "filesystem/FatWriter.h"
#include "image/ImageChange.h"

class VolumeEdit {
 public:
  // Opens the image at path for changes: false when it cannot be changed, with why (the message that says
  // so) for the window to show beside its greyed commands.
  bool Open(const std::string& path, std::string* why);
  // The disk as it is now, the changes not yet saved included. Only once Open succeeded.
  const FatVolume& Volume() const { return *volume_; }
  bool Unsaved() const { return unsaved_; }

  // Each true when the disk changed; a change refused leaves it as it was, after its messages. A folder is
  // an entry of Volume() (-1: the root).
  bool Add(int folder, const std::vector<std::string>& paths, IMessageBoxes& boxes);
  bool MakeFolder(int folder, const std::string& name, const LocalTime& now, IMessageBoxes& boxes);
  bool Delete(const std::vector<int>& entries, IMessageBoxes& boxes);
  // 0 saved, or -1 after the save's message (the changes stay, unsaved).
  int Save(const ImageWriteOptions& options, IMessageBoxes& boxes);

 private:
  bool Change(int folder, IMessageBoxes& boxes, const std::function<int(FatWriter&, FatWriter::Folder)>& change);
  std::string PathOf(int entry) const;

  ImageChange image_;
  std::vector<uint8_t> sectors_;
  std::optional<FatVolume> volume_;
  bool unsaved_ = false;
};

// The formats a new image may have, as the File menu's dialog lists them ("1.44 MB"), and the one it offers
// first.
struct NewImageFormat {
  FloppyGeometry geometry;
  std::string name;
};
std::vector<NewImageFormat> NewImageFormats();
inline constexpr int kNewImageDefaultKb = 1440;

// The image of a blank disk of geometry, with a label when one is given, saved at path (replacing a file
// there): 0, or the status of the refusal (a label FAT cannot hold) or the save after its message.
int MakeBlankImage(const std::string& path, const FloppyGeometry& geometry, const std::string& label,
                   const ImageWriteOptions& options, IMessageBoxes& boxes);
