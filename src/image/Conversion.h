#pragma once
// Loading a whole image into memory, saving it in any form, the conversion job that does both on a worker
// thread, the integrity check and the change of description.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "base/JobEvents.h"
#include "base/MessageBoxes.h"
#include "image/ImageInfo.h"
#include "image/ImageStream.h"

// The largest raw image a conversion holds: 2 MB.
inline constexpr std::size_t kImageBufferBytes = 0x200000;

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

enum class IntegrityResult { NoChecksum, Good, Bad };
// Compares the file's CRC (trailer excluded) with the stored checksum and says so: 57697 (no checksum),
// 57698 (good, information icon) or 57699 (bad, also when the CRC cannot be computed). A zip .imz without
// a checksum of ours is checked against the archive's CRC-32 of its file instead (good: its own message).
IntegrityResult CheckIntegrity(const CImageInfo& image, IMessageBoxes& boxes);

// False for an image without a trailer and for a zip .imz (read, never written): its description changes
// only in a conversion to one of our forms.
bool DescriptionChangeable(const CImageInfo& image);

// Replaces the trailer of the loaded image with one carrying description (the record must come from
// LoadInfo). -1 after 57692 when the file has no trailer or is a zip .imz (nothing shown, the caller
// stops); -2 after 106 when the file cannot be opened for writing (the dialog stays open); 0 when the new
// trailer was written; -3 after 124 or 57701. The data and the trailer go into a new file beside the image, which replaces it
// only when complete, so the file never ends up without a trailer. The stored checksum is kept: the data
// is not rewritten, and a new checksum would vouch for data that may have been damaged since.
int ChangeDescription(CImageInfo& image, const std::string& description, IMessageBoxes& boxes);
