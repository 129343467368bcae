#pragma once
// Loading a whole image into memory, saving it in any form, and the conversion job that does both on a
// worker thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "base/JobEvents.h"
#include "base/MessageBoxes.h"
#include "image/ImageInfo.h"
#include "image/ImageWriter.h"

struct ImageBuffer {
  std::vector<uint8_t> bytes;  // raw image, valid up to count
  std::size_t count = 0;
  // One flag per sector the source has no data of (marker blocks stand in bytes): those its form records
  // as bad, or those the map beside a rescue's raw image does not call read. Empty: none.
  std::vector<bool> bad;
  bool Damaged() const;
};

// Reads the raw image of source into buffer, with the sectors its form records as bad. 0, or -1 after message
// 124 (read error, damaged or cut stream), or after message 57730 when the raw image is larger than 2 MB (it
// is no floppy image; cutting it would lose data).
int LoadImageFile(const CImageInfo& source, ImageBuffer& buffer, IMessageBoxes& boxes);
// The same for a conversion, which also takes a rescue's bad sectors from the map beside its raw image: -1
// also after the damaged-map message (the markers must not pass for data).
int LoadConversionSource(const CImageInfo& source, ImageBuffer& buffer, IMessageBoxes& boxes);

struct SaveOptions {
  ImageWriteOptions write;
  bool suppress = false;  // no compatible-mode question
  const std::atomic<bool>* cancel = nullptr;  // once set, the save stops before the file is put in place
};
inline constexpr int kSaveDeclined = 1;   // the compatible-mode question was answered No: nothing written
inline constexpr int kSaveCancelled = 2;  // cancelled: nothing written, nothing shown
inline constexpr int kSaveWithBadSectors = 3;  // written, bad sectors marked, after message 57896

// Writes buffer as target's form, the trailer carrying source's description, geometry and byte counts. Bad
// sectors go only into a form that can keep them: a raw image with its map beside it (the markers are in the
// bytes already), or a form that records them itself; any other form is refused (57895) before anything is
// written. A raw image saved whole takes an outdated map beside it away. 0, kSaveDeclined, kSaveCancelled,
// kSaveWithBadSectors, or -1 after its message; a file already at the target path survives any failure.
int SaveImageFile(const CImageInfo& source, const CImageInfo& target, const ImageBuffer& buffer,
                  const SaveOptions& options, IMessageBoxes& boxes);

// Load and save on a worker thread, posting Loading before loading, Saving before saving and Ended at the
// end; options.cancel stops it between the two or during the save. The job object must outlive the thread:
// destroy it after the Ended event.
class ConversionJob {
 public:
  ConversionJob(CImageInfo source, CImageInfo target, SaveOptions options, IMessageBoxes& boxes);
  ~ConversionJob();
  void Start(IJobEvents& events);
  // After the Ended event: true when the new file was written; Damaged when bad sectors are marked in it.
  bool Succeeded() const { return succeeded_; }
  bool Damaged() const { return damaged_; }

 private:
  void Work(IJobEvents& events);

  CImageInfo source_, target_;
  SaveOptions options_;
  IMessageBoxes& boxes_;
  std::thread thread_;
  bool succeeded_ = false;
  bool damaged_ = false;
};
