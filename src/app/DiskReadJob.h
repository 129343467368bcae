#pragma once
// CDiskReadJob: a whole disk into an image file, or, in an emergency, as much of it as can be read, with the
// marker block for every sector that cannot and the map of the rescue beside the image.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DiskJob.h"
#include "base/File.h"
#include "image/ImageWriter.h"

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
  int PlanSameDiskCheck();
  bool SameDiskConfirmed() const;
  std::size_t RegionOf(int64_t sector) const;
  int CompareAfter(int64_t sector);
  int CompareRemainingRegions(int64_t offset);
  // Reads the sectors again and compares them with the resumed image, the device at deviceAt before and
  // after: -1 when one differs (shown) or the disk changed. A sector that cannot be read now is passed over.
  int CompareWithPrevious(const std::vector<int64_t>& sectors, int64_t deviceAt);
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
  // The same-disk check of a resume: the first held sector of each region, and whether it was compared.
  static constexpr std::size_t kSameDiskRegions = 4;
  static constexpr std::size_t kSameDiskRunSectors = 4;
  std::vector<int64_t> regionFirst_;
  std::vector<bool> regionCompared_;
  int64_t position_ = 0;                   // of the device, where its reads begin (NT moves by transfers)
};
