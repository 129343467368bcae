#include "DiskJobRun.h"

#include <memory>

#include "StderrMessageBoxes.h"
#include "app/DiskReadJob.h"
#include "app/DiskWriteJob.h"

#include "base/Clock.h"

int RunDiskJob(DiskJobKind kind, const AppSettings& settings, IFloppyDeviceFactory& devices,
               const std::string& imagePath, std::vector<uint32_t>* badSectorOffsets, bool resume) {
  StderrMessageBoxes boxes;
  SelfExeSettings selfExe;
  SystemClock clock;
  const DiskJobEnvironment environment{settings, selfExe, 5, boxes, devices, clock, {}};
  CImageInfo image;
  int opened = kind == DiskJobKind::Read ? image.SetTarget(imagePath, boxes) : image.LoadInfo(imagePath, boxes);
  if (opened != 0) return -1;
  OperationProgress progress;
  std::unique_ptr<DiskJob> job;
  if (kind == DiskJobKind::Read) {
    auto read = std::make_unique<CDiskReadJob>(environment, image, progress);
    if (resume) read->ResumeExistingImage();
    job = std::move(read);
  } else {
    job = std::make_unique<CDiskWriteJob>(environment, image, progress);
  }
  JobEventQueue events;
  job->Start(events);
  for (;;) {
    JobEvent event = events.WaitNext();
    if (!event.Ends()) continue;
    job.reset();  // joins the worker: the progress fields are final
    if (badSectorOffsets) *badSectorOffsets = progress.badSectorOffsets;
    return event.step == JobStep::Succeeded ? 0 : -1;
  }
}
