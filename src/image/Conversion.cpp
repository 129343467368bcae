#include "image/Conversion.h"

#include <algorithm>

#include "base/File.h"
#include "base/Texts.h"
#include "image/forms/ImageForm.h"
#include "image/RawImageInput.h"

int LoadImageFile(const CImageInfo& source, ImageBuffer& buffer, IMessageBoxes& boxes) {
  buffer.bytes.assign(kImageBufferBytes, 0);
  buffer.count = 0;
  RawImageInput input;
  if (!input.Open(source.m_path, source.m_hasTrailer != 0)) {
    ShowError(boxes, kTextImageReadFailed);
    return -1;
  }
  // A plain image (or the file a zip .imz carries) is measured before it is read; a stream only by reading.
  std::optional<uint64_t> known = input.KnownBytes();
  if (known && *known > kImageBufferBytes) {
    ShowError(boxes, kTextImageLargerThan2MB);
    return -1;
  }
  std::size_t wanted = known ? static_cast<std::size_t>(*known) : kImageBufferBytes;
  int64_t got = input.Read(buffer.bytes.data(), wanted);
  if (got < 0 || (known && static_cast<std::size_t>(got) != wanted)) {
    ShowError(boxes, kTextImageReadFailed);
    return -1;
  }
  if (!known && static_cast<std::size_t>(got) == kImageBufferBytes) {
    uint8_t more = 0;
    int64_t extra = input.Read(&more, 1);
    if (extra != 0) {
      ShowError(boxes, extra < 0 ? kTextImageReadFailed : kTextImageLargerThan2MB);
      return -1;
    }
  }
  buffer.count = static_cast<std::size_t>(got);
  return 0;
}

int SaveImageFile(const CImageInfo& source, const CImageInfo& target, const ImageBuffer& buffer,
                  const SaveOptions& options, IMessageBoxes& boxes) {
  const ImageForm* form = FormOfPath(target.m_path);
  if (form && form->trailer == TrailerUse::UnlessCompatible && options.write.compatible && !options.suppress &&
      !AskYesNo(boxes, kTextCompatibleModeActive)) {
    return kSaveDeclined;
  }
  auto cancelled = [&options] { return options.cancel && options.cancel->load(); };
  ImageWriter writer(boxes, options.write);
  if (writer.Open(target.m_path) != 0) return -1;
  std::size_t count = buffer.count < buffer.bytes.size() ? buffer.count : buffer.bytes.size();
  // In pieces, so that a cancel is heard while a large image is compressed.
  constexpr std::size_t kPieceBytes = 64 * 1024;
  for (std::size_t at = 0; at < count; at += kPieceBytes) {
    if (cancelled()) return kSaveCancelled;  // the writer removes its temporary file
    if (writer.Write(buffer.bytes.data() + at, std::min(kPieceBytes, count - at)) != 0) return -1;
  }
  if (cancelled()) return kSaveCancelled;
  // A conversion carries description, geometry and byte counts; the checksum is the new file's own.
  CImageInfo written = target;
  written.m_description = source.m_description;
  written.m_sectorsPerTrack = source.m_sectorsPerTrack;
  written.m_tracks = source.m_tracks;
  written.m_totalBytes = source.m_totalBytes;
  written.m_freeBytes = source.m_freeBytes;
  return writer.Finish(written);
}

ConversionJob::ConversionJob(CImageInfo source, CImageInfo target, SaveOptions options, IMessageBoxes& boxes)
    : source_(std::move(source)), target_(std::move(target)), options_(std::move(options)), boxes_(boxes) {}

ConversionJob::~ConversionJob() {
  if (thread_.joinable()) thread_.join();
}

void ConversionJob::Start(IJobEvents& events) {
  if (thread_.joinable()) return;
  thread_ = std::thread([this, &events] { Work(events); });
}

void ConversionJob::Work(IJobEvents& events) {
  events.Post({JobKind::Conversion, JobStep::Loading});
  {
    ImageBuffer buffer;
    auto cancelled = [this] { return options_.cancel && options_.cancel->load(); };
    if (!cancelled() && LoadImageFile(source_, buffer, boxes_) == 0 && !cancelled()) {
      events.Post({JobKind::Conversion, JobStep::Saving});
      succeeded_ = SaveImageFile(source_, target_, buffer, options_, boxes_) == 0;
    }
  }
  events.Post({JobKind::Conversion, JobStep::Ended});
}
