#include "app/DiskJob.h"

#include "base/Format.h"
#include "base/Texts.h"

DiskJob::DiskJob(const DiskJobEnvironment& environment, CImageInfo& image, OperationProgress& progress)
    : environment_(environment), image_(image), progress_(progress) {}

DiskJob::~DiskJob() { Join(); }

void DiskJob::Join() {
  if (thread_.joinable()) thread_.join();
}

void DiskJob::Start(IJobEvents& events) {
  events_ = &events;
  thread_ = std::thread([this] { Worker(); });
}

void DiskJob::Worker() {
  result_ = Run();
  Close(result_ != 0);
  // The last use of the job by this thread: the receiver may destroy the job once it has the event.
  events_->Post({Kind(), result_ == 0 ? JobStep::Succeeded : JobStep::Failed});
}

std::unique_ptr<IFloppyDevice> DiskJob::NewDevice() {
  return environment_.devices.Create({environment_.settings, image_.m_sectorsPerTrack, environment_.boxes});
}

void DiskJob::StartClock() { startTime_ = environment_.clock.NowSeconds(); }

void DiskJob::UpdateSpeed() {
  int64_t elapsed = environment_.clock.NowSeconds() - startTime_;
  progress_.speedText.Set(elapsed <= 0 ? std::string("0")
                                       : FormatText("%.1f", {static_cast<double>(progress_.kbDone.load()) /
                                                             static_cast<double>(elapsed)}));
}

void DiskJob::SetTotal(const FloppyGeometry& geometry) {
  totalBytes_ = static_cast<uint64_t>(geometry.TotalBytes());
  progress_.totalText.Set(FormatText(kTextSizeKb, {geometry.SizeKb()}));
}

void DiskJob::ReportBlock(uint64_t done) {
  progress_.percent = totalBytes_ ? static_cast<uint32_t>(done * 100 / totalBytes_) : 0;
  progress_.kbDone = static_cast<uint32_t>(done / 1024);
  UpdateSpeed();
  if (events_) events_->Post({Kind(), JobStep::Progress});
}
