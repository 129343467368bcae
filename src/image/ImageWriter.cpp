// ImageWriter: a new image file of any form, built beside its target and moved into place only when whole.
#include <optional>

#include "base/File.h"
#include "base/Texts.h"
#include "image/forms/ImageForm.h"
#include "image/ImageSaveStart.h"
#include "image/ImageWriter.h"
#include "image/TrailerFile.h"

struct ImageWriter::State {
  State(IMessageBoxes& b, ImageWriteOptions o) : boxes(b), options(std::move(o)) {}

  // Removes the temporary file; the target is never touched before the final rename.
  void Discard() {
    writer.reset();
    save.Abandon();
    open = false;
  }

  IMessageBoxes& boxes;
  ImageWriteOptions options;
  const ImageForm* form = nullptr;
  std::string target;
  FileSave save;
  WrittenCrc crc;  // watches save.Out()
  std::unique_ptr<FormWriter> writer;
  bool open = false;
};

ImageWriter::ImageWriter(IMessageBoxes& boxes, ImageWriteOptions options)
    : state_(std::make_unique<State>(boxes, std::move(options))) {}

ImageWriter::~ImageWriter() { Abandon(); }

void ImageWriter::Abandon() { state_->Discard(); }

int ImageWriter::Open(const std::string& targetPath) {
  State& s = *state_;
  s.Discard();
  s.target = targetPath;
  s.form = FormOfPath(targetPath);
  if (!s.form || !s.form->Writable()) {
    ShowUnsupportedExtension(s.boxes, true);
    return -1;
  }
  s.writer = s.form->newWriter(FormWriteOptions{s.options.selfExe, s.options.programPath, s.options.imageBytes});
  if (!s.writer->Prepare(s.boxes) || !BeginImageSave(s.save, targetPath, s.boxes)) {
    s.Discard();
    return -1;
  }
  s.open = true;
  s.crc = WrittenCrc();
  s.save.Out().Watch(&s.crc);
  if (!s.writer->Start(s.save.Out(), targetPath, s.boxes)) {
    s.Discard();
    return -1;
  }
  return 0;
}

int ImageWriter::Write(const void* data, std::size_t bytes) {
  State& s = *state_;
  if (!s.open) return -1;
  if (!s.writer->Write(s.save.Out(), data, bytes)) {
    ShowError(s.boxes, kTextImageWriteFailed);
    s.Discard();
    return -1;
  }
  return 0;
}

int ImageWriter::Rewrite(uint64_t offset, const void* data, std::size_t bytes) {
  State& s = *state_;
  if (!s.open) return -1;
  if (!s.writer->Rewrite(s.save.Out(), offset, data, bytes)) {
    ShowError(s.boxes, kTextImageWriteFailed);
    s.Discard();
    return -1;
  }
  return 0;
}

void ImageWriter::SetBadSectors(const std::vector<bool>& bad) {
  if (state_->open) state_->writer->SetBadSectors(bad);
}

int ImageWriter::Finish(CImageInfo& info) {
  State& s = *state_;
  if (!s.open) return -1;
  s.writer->SetDescription(info.m_description);
  // Handed to the system before what follows: a write that fails now is the image's, not a later part's.
  if (!s.writer->End(s.save.Out()) || !s.save.Out().Flush()) {
    ShowError(s.boxes, kTextImageWriteFailed);
    s.Discard();
    return -1;
  }
  if (!s.writer->Complete(s.save.Out(), s.boxes)) {
    s.Discard();
    return -1;
  }
  const bool withTrailer = s.form->trailer == TrailerUse::Always ||
                           (s.form->trailer == TrailerUse::UnlessCompatible && !s.options.compatible);
  if (withTrailer) {
    if (EndWithTrailer(s.save, s.crc, s.target, TrailerFieldsOf(info), info.m_checksum, s.boxes) != 0) {
      s.Discard();
      return -1;
    }
  } else {
    info.m_checksum = 0;
  }
  // Putting the data on the disk is the last write that can fail (a full disk may say so only now).
  if (!(s.options.lock ? s.options.lock->Commit(s.save) : s.save.Commit())) {
    ShowError(s.boxes, kTextImageWriteFailed);
    s.Discard();
    return -1;
  }
  s.writer.reset();
  s.open = false;
  info.m_hasTrailer = withTrailer ? 1 : 0;
  return 0;
}
