#include "app/RescueConversion.h"

#include "app/CaptureAccount.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "image/RescueMerge.h"
#include "image/forms/CaptureImage.h"

namespace {

// The decoding's progress: the fields, then the event, as the disk jobs report theirs.
class TrackProgress final : public DecodeWatcher {
 public:
  TrackProgress(OperationProgress& progress, IJobEvents& events) : progress_(progress), events_(events) {}
  void TrackDecoded(const TrackOutcome& outcome, std::size_t done, std::size_t total) override {
    progress_.trackLines.Add(TrackLine(outcome));
    progress_.percent = static_cast<uint32_t>(done * 100 / (total == 0 ? 1 : total));
    progress_.speedText.Set(FormatText(kTextTracksDecoded, {done, total}));
    events_.Post({JobKind::Decode, JobStep::Progress});
  }
  bool Cancelled() const override { return progress_.cancelRequested.load(); }

 private:
  OperationProgress& progress_;
  IJobEvents& events_;
};

}  // namespace

RescueConversionJob::RescueConversionJob(CImageInfo source, CImageInfo target, SaveOptions options, bool intoRescue,
                                         OperationProgress& progress, IMessageBoxes& boxes)
    : source_(std::move(source)),
      target_(std::move(target)),
      options_(std::move(options)),
      intoRescue_(intoRescue),
      progress_(progress),
      boxes_(boxes),
      geometry_(source_.Geometry()) {}

RescueConversionJob::~RescueConversionJob() {
  if (thread_.joinable()) thread_.join();
}

void RescueConversionJob::Start(IJobEvents& events) {
  if (thread_.joinable()) return;
  thread_ = std::thread([this, &events] { Work(events); });
}

bool RescueConversionJob::Load(IJobEvents& events, ImageBuffer& buffer) {
  if (!IsFluxCapture(source_.m_path)) return LoadConversionSource(source_, buffer, boxes_) == 0;
  std::unique_ptr<CaptureImage> capture = OpenCaptureImage(source_.m_path);
  if (!capture) {
    ShowImageUnreadable(source_.m_path, boxes_, kTextImageReadFailed);
    return false;
  }
  progress_.totalText.Set(FormatText(kTextSizeKb, {static_cast<int>(*capture->KnownBytes() / 1024)}));
  TrackProgress watcher(progress_, events);
  if (!capture->Decode(&watcher)) return false;
  const DecodedDisk& disk = capture->Disk();
  account_ = CaptureAccount(disk);
  buffer.bytes.assign(kImageBufferBytes, 0);
  std::copy(disk.bytes.begin(), disk.bytes.end(), buffer.bytes.begin());
  buffer.count = disk.bytes.size();
  buffer.bad = disk.bad;
  geometry_ = disk.geometry;
  return true;
}

void RescueConversionJob::Work(IJobEvents& events) {
  ImageBuffer buffer;
  RescueMerge merge;
  // Held from the merge to the save: a second job into the same rescue would otherwise lose what this one adds.
  FileLock lock;
  bool ready = Load(events, buffer) && !progress_.cancelRequested;
  if (ready && intoRescue_) {
    if (lock.Acquire(target_.m_path) == FileLock::Result::Busy) {
      ShowError(boxes_, kTextRescueImageInUse, {target_.m_path});
      ready = false;
    } else {
      options_.write.lock = lock.Held() ? &lock : nullptr;
      ready = MergeIntoRescue(source_.m_path, target_.m_path, buffer, merge, boxes_) == 0;
    }
  }
  if (ready) {
    // Merged, the rescue keeps its own description and geometry.
    const CImageInfo& described = merge.merged ? merge.rescue : source_;
    if (merge.merged) geometry_ = merge.rescue.Geometry();
    saved_ = SaveImageFile(described, target_, buffer, options_, boxes_);
    for (std::size_t s = 0; s < buffer.bad.size(); ++s) {
      if (buffer.bad[s]) progress_.badSectorOffsets.push_back(static_cast<uint32_t>(s * kSectorBytes));
    }
    if (merge.merged) {
      account_.push_back(FormatText(kTextMergeFilled, {boxes_.ShownArgument(source_.m_path),
                                                       static_cast<int64_t>(merge.filled.size())}));
    }
  }
  const bool written = saved_ == 0 || saved_ == kSaveWithBadSectors;
  events.Post({JobKind::Decode, written ? JobStep::Succeeded : JobStep::Failed});
}
