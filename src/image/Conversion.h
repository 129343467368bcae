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
};

// Reads the raw image of source into buffer. 0, or -1 after message 124 (read error, damaged or cut stream),
// or after message 57730 when the raw image is larger than 2 MB (it is no floppy image; cutting it would lose
// data).
int LoadImageFile(const CImageInfo& source, ImageBuffer& buffer, IMessageBoxes& boxes);

struct SaveOptions {
  ImageWriteOptions write;
  bool suppress = false;  // no compatible-mode question
  const std::atomic<bool>* cancel = nullptr;  // once set, the save stops before the file is put in place
};
inline constexpr int kSaveDeclined = 1;   // the compatible-mode question was answered No: nothing written
inline constexpr int kSaveCancelled = 2;  // cancelled: nothing written, nothing shown

// Writes buffer as target's form, the trailer carrying source's description, geometry and byte counts.
// 0, kSaveDeclined, kSaveCancelled, or -1 after its message; a file already at the target path survives any
// failure.
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
  // After the Ended event: true when the new file was written.
  bool Succeeded() const { return succeeded_; }

 private:
  void Work(IJobEvents& events);

  CImageInfo source_, target_;
  SaveOptions options_;
  IMessageBoxes& boxes_;
  std::thread thread_;
  bool succeeded_ = false;
};
