#pragma once
// A conversion shown like a disk job (JobKind::Decode events): a flux capture decoded track by track (the
// progress shows the tracks, a cancel stops between two), and, where the user says so, any source taken into
// the rescue at the target (image/RescueMerge.h) rather than replacing it. The bad-sector report follows.

#include <string>
#include <thread>
#include <vector>

#include "base/JobEvents.h"
#include "base/MessageBoxes.h"
#include "base/OperationProgress.h"
#include "image/Conversion.h"
#include "image/ImageInfo.h"

class RescueConversionJob {
 public:
  // intoRescue: merge into a rescue at the target (there may be none: then it is a plain conversion).
  RescueConversionJob(CImageInfo source, CImageInfo target, SaveOptions options, bool intoRescue,
                      OperationProgress& progress, IMessageBoxes& boxes);
  ~RescueConversionJob();
  // Posts Progress after every track, Succeeded once the image is saved (bad sectors or not), else Failed.
  void Start(IJobEvents& events);

  // After the last event: SaveImageFile's result (-1 also when it never came to saving), the geometry of the
  // image saved, and what the decoding saw (empty for a source that is no capture).
  int Saved() const { return saved_; }
  const FloppyGeometry& Geometry() const { return geometry_; }
  const std::vector<std::string>& Account() const { return account_; }

 private:
  void Work(IJobEvents& events);
  bool Load(IJobEvents& events, ImageBuffer& buffer);

  CImageInfo source_, target_;
  SaveOptions options_;
  bool intoRescue_;
  OperationProgress& progress_;
  IMessageBoxes& boxes_;
  std::thread thread_;
  int saved_ = -1;
  FloppyGeometry geometry_;
  std::vector<std::string> account_;
};
