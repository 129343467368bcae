#pragma once
// An image opened to change the files on its disk. It is held against other changes from the first look
// at it until the new file has its name, so that no change is lost to another; it is loaded whole, and
// saved anew through the one save path in its own form, with its description, a new checksum and the free
// space of the changed disk. A rescue's image is never changed: its bad sectors are the evidence of damage.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/File.h"
#include "base/Geometry.h"
#include "base/MessageBoxes.h"
#include "image/Conversion.h"
#include "image/ImageInfo.h"

enum class ChangeOpen {
  Ready,
  Busy,          // another change holds the image (after its message)
  Exists,        // a new image's path has a file, and replacing it was not asked
  Damaged,       // bad sectors: a map beside it, marker blocks, or sectors its form records as bad
  ReadOnlyForm,  // a form this program only reads (another tool's archive)
  Unusable,      // cannot be opened or read (after the load's message)
};

class ImageChange {
 public:
  // Opens the image at path, waiting up to wait for another change to end. Every outcome but Ready has shown
  // its message.
  ChangeOpen Open(const std::string& path, IMessageBoxes& boxes,
                  std::chrono::milliseconds wait = std::chrono::milliseconds(0));
  // A new image at path holding the blank volume this program formats a disk of geometry with, under a
  // volume serial number of its own, replacing a file there only when replace is set: Ready, Exists, Busy
  // (the file there is being changed) or Unusable (a path no save takes, a geometry with no blank volume),
  // each after its message.
  ChangeOpen New(const std::string& path, const FloppyGeometry& geometry, bool replace, IMessageBoxes& boxes);

  const std::string& Path() const { return info_.m_path; }
  // The disk's sectors as loaded (or zeros for a new image).
  const std::vector<uint8_t>& Sectors() const { return sectors_; }
  // The sectors handed over to a change that Save ends, uncopied; the image holds none until Save has succeeded.
  std::vector<uint8_t> TakeSectors() { return std::move(sectors_); }

  // Saves sectors as the image: 0, kSaveCancelled once cancel is set (nothing shown), or -1 after the save's
  // message; the file at the path is then as it was. compatible is the setting for a new image; an image
  // changed keeps its own choice of a trailer.
  int Save(std::vector<uint8_t> sectors, ImageWriteOptions options, IMessageBoxes& boxes,
           const std::atomic<bool>* cancel = nullptr);
  // Lets other changes have the image (also done when the object ends).
  void Release() { lock_.Release(); }

 private:
  CImageInfo info_;
  std::vector<uint8_t> sectors_;
  FileLock lock_;
  bool created_ = false;
};
