#pragma once
// The track engine's base: CDiskReadJob (app/DiskReadJob.h) moves a whole disk into an image file,
// CDiskWriteJob (app/DiskWriteJob.h) an image file onto a disk. Each runs on a worker thread of its own, writes
// the progress fields and posts an event after every block; the cancel flag is tested after every block. Only
// one block (a track side, a sector, or a chunk of the check) is held at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/OperationProgress.h"
#include "base/Clock.h"
#include "base/File.h"
#include "base/JobEvents.h"
#include "base/MessageBoxes.h"
#include "floppy/FloppyDevice.h"
#include "image/ImageInfo.h"
#include "settings/Settings.h"

// What the jobs take from the program. The references must outlive the job.
struct DiskJobEnvironment {
  const AppSettings& settings;
  const SelfExeSettings& selfExe;
  uint32_t ntMajorVersion;  // 0 on Windows 9x (decides which formats can be made)
  IMessageBoxes& boxes;
  IFloppyDeviceFactory& devices;
  IClock& clock;
  std::string programPath;  // carries the self-extractor stub for .exe images
};

class DiskJob {
 public:
  virtual ~DiskJob();
  // Starts the worker thread and returns at once. The worker posts its completion event last.
  void Start(IJobEvents& events);
  // The job's work, as the worker runs it: 0, or -1 after its message (cancellation is silent).
  virtual int Run() = 0;
  int Result() const { return result_; }

 protected:
  DiskJob(const DiskJobEnvironment& environment, CImageInfo& image, OperationProgress& progress);
  virtual void Close(bool failed) = 0;
  virtual JobKind Kind() const = 0;

  bool Cancelled() const { return progress_.cancelRequested.load(); }
  void StartClock();
  void UpdateSpeed();
  // Progress after a block: percent and kilobytes of done bytes, the rate, and the event.
  void ReportBlock(uint64_t done);
  void SetTotal(const FloppyGeometry& geometry);
  std::unique_ptr<IFloppyDevice> NewDevice();
  // Waits for the worker. Every job's own destructor calls it first: the worker runs the job's own parts,
  // which are gone by the time the base destructor runs.
  void Join();

  const DiskJobEnvironment environment_;  // a copy: callers may pass a temporary
  CImageInfo& image_;
  OperationProgress& progress_;
  IJobEvents* events_ = nullptr;
  std::vector<uint8_t> buffer_;
  uint32_t blockSize_ = 512;
  int64_t startTime_ = 0;
  uint64_t totalBytes_ = 0;
  FloppyGeometry disk_;
  std::unique_ptr<IFloppyDevice> device_;

 private:
  void Worker();

  std::thread thread_;
  int result_ = 0;
};
