// ImageWriter: a new image file of any form, built beside its target and moved into place only when whole.
#include <optional>

#include "base/File.h"
#include "base/Texts.h"
#include "image/forms/Bzip2File.h"
#include "image/forms/ImageForm.h"
#include "image/ImageWriter.h"
#include "image/forms/SelfExtractor.h"
#include "image/TrailerFile.h"

struct ImageWriter::State {
  State(IMessageBoxes& b, ImageWriteOptions o) : boxes(b), options(std::move(o)) {}

  // Removes the temporary file; the target is never touched before the final rename.
  void Discard() {
    stream.Abandon();
    save.Abandon();
    open = false;
  }

  IMessageBoxes& boxes;
  ImageWriteOptions options;
  ImageForm form = ImageForm::Unknown;
  std::string target;
  FileSave save;
  Bzip2Writer stream;
  bool open = false;
};

bool BeginImageSave(FileSave& save, const std::string& targetPath, IMessageBoxes& boxes) {
  switch (save.Begin(targetPath)) {
    case FileSave::Start::Ready: return true;
    case FileSave::Start::NotRegular: ShowError(boxes, kTextNotRegularFile, {targetPath}); break;
    case FileSave::Start::ReadOnly: ShowError(boxes, kTextFileReadOnly, {targetPath}); break;
    case FileSave::Start::CannotCreate: ShowError(boxes, kTextCannotCreate, {targetPath}); break;
  }
  return false;
}

ImageWriter::ImageWriter(IMessageBoxes& boxes, ImageWriteOptions options)
    : state_(std::make_unique<State>(boxes, std::move(options))) {}

ImageWriter::~ImageWriter() { Abandon(); }

void ImageWriter::Abandon() { state_->Discard(); }

int ImageWriter::Open(const std::string& targetPath) {
  State& s = *state_;
  s.Discard();
  s.target = targetPath;
  s.form = FormOfPath(targetPath);
  if (s.form == ImageForm::Unknown) {
    ShowError(s.boxes, kTextUnsupportedExtension);
    return -1;
  }
  std::optional<File> program;
  std::string programPath = s.options.programPath.empty() ? OwnProgramPath() : s.options.programPath;
  if (s.form == ImageForm::SelfExtracting) {
    program = OpenStubCarrier(programPath, s.boxes);
    if (!program) return -1;
  }
  if (!BeginImageSave(s.save, targetPath, s.boxes)) return -1;
  s.open = true;
  if (program && CopyStub(*program, programPath, s.save.Out(), s.boxes) != 0) {
    s.Discard();
    return -1;
  }
  if (s.form != ImageForm::Plain && !s.stream.Open(s.save.Out().get())) {
    ShowError(s.boxes, kTextCannotCreate, {targetPath});
    s.Discard();
    return -1;
  }
  return 0;
}

int ImageWriter::Write(const void* data, std::size_t bytes) {
  State& s = *state_;
  if (!s.open) return -1;
  bool written = s.form == ImageForm::Plain ? s.save.Out().Write(data, bytes) : s.stream.Write(data, bytes);
  if (!written) {
    ShowError(s.boxes, kTextImageWriteFailed);
    s.Discard();
    return -1;
  }
  return 0;
}

int ImageWriter::Rewrite(uint64_t offset, const void* data, std::size_t bytes) {
  State& s = *state_;
  if (!s.open) return -1;
  File& out = s.save.Out();
  int64_t end = out.Tell();
  bool written = s.form == ImageForm::Plain && end >= 0 && offset + bytes <= static_cast<uint64_t>(end) &&
                 out.Seek(static_cast<int64_t>(offset), SEEK_SET) && out.Write(data, bytes) && out.Seek(end, SEEK_SET);
  if (!written) {
    ShowError(s.boxes, kTextImageWriteFailed);
    s.Discard();
    return -1;
  }
  return 0;
}

int ImageWriter::Finish(CImageInfo& info) {
  State& s = *state_;
  if (!s.open) return -1;
  bool ended = s.form == ImageForm::Plain || s.stream.Close();
  if (!s.save.Out().Close() || !ended) {
    ShowError(s.boxes, kTextImageWriteFailed);
    s.Discard();
    return -1;
  }
  if (s.form == ImageForm::SelfExtracting) {
    static const SelfExeSettings kDefaults;
    const SelfExeSettings& settings = s.options.selfExe ? *s.options.selfExe : kDefaults;
    if (WriteSelfExtractorData(s.save.TempPath(), settings, s.boxes) != 0) {
      s.Discard();
      return -1;
    }
  }
  bool withTrailer = !(s.form == ImageForm::Plain && s.options.compatible);
  if (withTrailer) {
    if (AppendTrailer(s.save.TempPath(), s.target, info, s.boxes) != 0) {
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
  s.open = false;
  info.m_hasTrailer = withTrailer ? 1 : 0;
  return 0;
}
