#pragma once
// CDiskWriteJob: an image file onto a disk (with optional format, verification and recreation of bad
// sectors) once the whole image has been read and checked.

#include <cstdint>
#include <memory>
#include <vector>

#include "app/DiskJob.h"
#include "image/ImageReader.h"

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
