#pragma once
// The image of a flux capture (.scp, KryoFlux streams), decoded from the flux of its tracks
// (flux/CaptureDecoder.h). Opening surveys a few tracks, so that the image's size is known at once; the first
// read decodes the capture whole, with the marker block in place of every sector that no copy gave.

#include <memory>
#include <string>

#include "base/MessageBoxes.h"
#include "flux/CaptureDecoder.h"
#include "image/forms/ImageForm.h"

class CaptureImage final : public FormReader {
 public:
  CaptureImage(std::unique_ptr<Capture> capture, const FloppyGeometry& geometry);
  std::optional<uint64_t> KnownBytes() const override;
  int64_t Read(void* data, std::size_t bytes) override;
  std::vector<bool> BadSectors() const override;

  // Decodes the capture now (once), telling watcher of every track: false when the watcher cancelled.
  bool Decode(DecodeWatcher* watcher);
  // After Decode (or a read): what each track gave, the sectors voted back and those in conflict.
  const DecodedDisk& Disk() const { return disk_; }

 private:
  std::unique_ptr<Capture> capture_;
  FloppyGeometry geometry_;
  DecodedDisk disk_;
  bool decoded_ = false;
  std::size_t position_ = 0;
};

// Whether path names a flux capture by its extension.
bool IsFluxCapture(const std::string& path);

// The capture at path opened and surveyed; nullptr when it cannot be used (ShowImageUnreadable says why).
std::unique_ptr<CaptureImage> OpenCaptureImage(const std::string& path);

// What is wrong with the capture at path (the capture forms' showUnreadable).
void ShowCaptureUnreadable(const std::string& path, IMessageBoxes& boxes);

// Why a track of a capture gave no flux, in words.
const char* TrackFaultText(TrackFault fault);
