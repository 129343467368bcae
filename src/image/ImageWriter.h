#pragma once
// ImageWriter: raw image bytes (disk order) into a new image file of any form. The conversion and the read
// job use it, so each form is written in one place.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/File.h"
#include "base/MessageBoxes.h"
#include "image/ImageInfo.h"
#include "settings/Settings.h"

class FileLock;

struct ImageWriteOptions {
  bool compatible = false;                 // a .img gets no trailer
  const SelfExeSettings* selfExe = nullptr;  // settings block of an .exe (required for .exe)
  std::string programPath;                 // the file that carries the self-extractor stub (.exe)
  FileLock* lock = nullptr;                // held on the target: passes to the new file as it takes the name
};

// Writes a new image file. Everything goes to a temporary file beside the target, which replaces the target
// only when Finish has completed the file, trailer included; a writer destroyed or abandoned before that
// removes the temporary file and leaves a file already at the target path as it was.

class ImageWriter {
 public:
  ImageWriter(IMessageBoxes& boxes, ImageWriteOptions options);
  ~ImageWriter();
  ImageWriter(const ImageWriter&) = delete;
  ImageWriter& operator=(const ImageWriter&) = delete;

  // Creates the file for targetPath in its form (stub copied for .exe, from options.programPath or, when that
  // is empty, the running program): 0, or -1 after message 122 (unknown form), 125 (a read-only target),
  // the not-a-regular-file message (a device, a FIFO, a folder), 106 (cannot create), or the stub's 57682,
  // 57731, 57732, 123. Messages name the target, never the temporary file.
  int Open(const std::string& targetPath);
  // 0, or -1 after message 123.
  int Write(const void* data, std::size_t bytes);
  // Replaces raw bytes already written, offset counted from the first byte of the image data; plain images
  // only (a compressed stream cannot be changed). 0, or -1 after message 123.
  int Rewrite(uint64_t offset, const void* data, std::size_t bytes);
  // The image's bad sectors, for a form that records them itself (ImageForm::recordsBadSectors).
  void SetBadSectors(const std::vector<bool>& bad);
  // Ends the image stream, appends the self-extractor data (.exe) and the trailer carrying info's
  // description, geometry and byte counts, then moves the file into place. info.m_checksum receives the
  // new checksum (0 without a trailer). 0, or -1 after its message (the self-extractor data's, the trailer's,
  // 123 when the stream cannot be ended or the file cannot be put on the disk and in place); the target is
  // then untouched and the temporary file gone.
  int Finish(CImageInfo& info);
  void Abandon();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
