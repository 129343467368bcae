#pragma once
// The track engine: CDiskReadJob moves a whole disk into an image file, CDiskWriteJob an image file onto a
// disk (with optional format, verification and recreation of bad sectors) once the whole image has been
// read and checked. Each runs on a worker thread of its own, writes the progress fields and posts an event
// after every block; the cancel flag is tested after every block. Only one block (a track side, a sector, or
// a chunk of the check) is held at a time.

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
#include "image/BadSectorMarker.h"
#include "image/ImageInfo.h"
#include "image/ImageStream.h"
#include "image/RescueMap.h"
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

class CDiskReadJob : public DiskJob {
 public:
  CDiskReadJob(const DiskJobEnvironment& environment, CImageInfo& image, OperationProgress& progress);
  ~CDiskReadJob() override;
  int Run() override;

  // Emergency reading into the image that already exists at the target path, with its map beside it: only
  // the sectors still bad are read again; every other sector is taken from that image as it is.
  void ResumeExistingImage() { resume_ = true; }

  // Emergency reading puts what it has so far in place as image and map every kCheckpointSeconds, so that a
  // rescue killed or cut off by a power failure goes on from there (--resume) rather than from its start.
  static constexpr int64_t kCheckpointSeconds = 5;

 private:
  void Close(bool failed) override;
  JobKind Kind() const override { return JobKind::Read; }
  int OpenPrevious();
  int CheckSameDisk();
  void RemoveOutdatedRescueMap();
  int ReadSide(int track, int head, uint64_t& done);
  int ReadSector(int64_t sector, uint64_t done);
  int RetryBadSectors();
  // Moves the device to a byte offset of the disk (the position where the next transfer begins).
  void MoveTo(int64_t offset);
  // tried: the sectors the first pass has reached; status: the phase ('?' first pass, '-' retrying).
  int Checkpoint(std::size_t tried, char status);
  // Saves the map, the image (saveImage) and the map again so that the pair on the disk never claims more.
  int SaveRescue(std::size_t tried, char status, const std::function<int()>& saveImage);
  // Whether the image being resumed holds that sector as read. A marker counts as bad whatever its map
  // says: a good sector is never taken from a block without data.
  bool PreviouslyRead(std::size_t sector) const;
  ImageWriteOptions WriteOptions();
  int PassesPlanned() const { return 1 + static_cast<int>(environment_.settings.m_retryPasses); }

  std::unique_ptr<ImageWriter> writer_;
  bool resume_ = false;
  std::vector<uint8_t> previous_;  // the data of the image being resumed
  std::string previousMap_;        // its map, one status per sector
  std::string savedMap_;           // the map now on the disk as this job last saved or found it
  std::vector<bool> bad_;          // the map of the new image
  std::vector<uint8_t> rescued_;   // the new image's data, markers where nothing was read yet
  int64_t lastCheckpoint_ = 0;
  FileLock imageLock_;
  int64_t position_ = 0;                   // of the device, where its reads begin (NT moves by transfers)
};

class CDiskWriteJob : public DiskJob {
 public:
  CDiskWriteJob(const DiskJobEnvironment& environment, CImageInfo& image, OperationProgress& progress);
  ~CDiskWriteJob() override;
  int Run() override;

  // Recorded by CheckImage when recreating: one flag per 512-byte block of the image, 1 = marker block.
  const std::vector<uint32_t>& BadSectorFlags() const { return badSectorFlags_; }
  // The image's checksum message also says how to give the image a new checksum (the program that can
  // convert images: not the self-extractor, whose image is part of itself).
  void AdviseNewChecksum() { adviseNewChecksum_ = true; }

 private:
  void Close(bool failed) override;
  JobKind Kind() const override { return JobKind::Write; }
  bool Recreating() const;
  int CheckImage();
  int FormatAllTracks();
  int WriteBlock(int64_t startSector, int count, uint64_t& done);

  std::vector<uint32_t> badSectorFlags_;
  std::unique_ptr<ImageReader> reader_;
  bool adviseNewChecksum_ = false;
};
