#include "image/Conversion.h"

#include <algorithm>

#include "base/File.h"
#include "base/Memory.h"
#include "base/Texts.h"
#include "image/forms/ImageForm.h"
#include "image/RawImageInput.h"
#include "image/RescueMap.h"

namespace {

// A rescue's raw image carries its bad sectors in the map beside it: without the map they would pass for
// data that merely looks like the marker.
int LoadRescueOf(const std::string& path, ImageBuffer& buffer, IMessageBoxes& boxes) {
  const ImageForm* form = FormOfFile(path);
  const std::string mapPath = RescueMapPathOf(path);
  if (!form || !form->rawSectors || UseOfName(mapPath) != NameUse::RegularFile) return 0;
  std::optional<std::string> map = LoadRescueMap(mapPath, buffer.count, boxes);
  if (!map) return -1;
  buffer.bad.assign(map->size(), false);
  for (std::size_t s = 0; s < map->size(); ++s) buffer.bad[s] = (*map)[s] != '+';
  return 0;
}

// "IMG、IMA、FLP、IMD": the forms an image with bad sectors can be saved in.
std::string FormsKeepingBadSectors() {
  return FormExtensionNames([](const ImageForm& form) { return form.Writable() && (form.rawSectors || form.recordsBadSectors); },
                            "、");
}

}  // namespace

bool ImageBuffer::Damaged() const { return std::find(bad.begin(), bad.end(), true) != bad.end(); }

int LoadImageFile(const CImageInfo& source, ImageBuffer& buffer, IMessageBoxes& boxes) {
  buffer.count = 0;
  RawImageInput input;
  if (!input.Open(source.m_path, source.m_hasTrailer != 0)) {
    ShowImageUnreadable(source.m_path, boxes, kTextImageReadFailed);
    return -1;
  }
  // A plain image (or the file a zip .imz carries) is measured before it is read; a stream only by reading.
  std::optional<uint64_t> known = input.KnownBytes();
  if (known && *known > kImageBufferBytes) {
    ShowError(boxes, kTextImageLargerThan2MB);
    return -1;
  }
  std::size_t wanted = known ? static_cast<std::size_t>(*known) : kImageBufferBytes;
  // Only as large as the image when its size is known: every page of the buffer costs the system.
  buffer.bytes = ZeroedBuffer(wanted);
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
  buffer.bad = input.BadSectors();
  return 0;
}

int LoadConversionSource(const CImageInfo& source, ImageBuffer& buffer, IMessageBoxes& boxes) {
  if (LoadImageFile(source, buffer, boxes) != 0) return -1;
  return buffer.bad.empty() ? LoadRescueOf(source.m_path, buffer, boxes) : 0;
}

int SaveImageFile(const CImageInfo& source, const CImageInfo& target, const ImageBuffer& buffer,
                  const SaveOptions& options, IMessageBoxes& boxes) {
  const ImageForm* form = FormOfPath(target.m_path);
  const bool damaged = buffer.Damaged();
  if (damaged && form && form->Writable() && !form->rawSectors && !form->recordsBadSectors) {
    ShowError(boxes, kTextBadSectorsNeedRawForm,
              {source.m_path, static_cast<int64_t>(std::count(buffer.bad.begin(), buffer.bad.end(), true)),
               FormsKeepingBadSectors()});
    return -1;
  }
  if (form && form->trailer == TrailerUse::UnlessCompatible && options.write.compatible && !options.suppress &&
      !AskYesNo(boxes, kTextCompatibleModeActive)) {
    return kSaveDeclined;
  }
  auto cancelled = [&options] { return options.cancel && options.cancel->load(); };
  std::size_t count = buffer.count < buffer.bytes.size() ? buffer.count : buffer.bytes.size();
  ImageWriteOptions writeOptions = options.write;
  writeOptions.imageBytes = count;
  ImageWriter writer(boxes, writeOptions);
  if (writer.Open(target.m_path) != 0) return -1;
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
  if (damaged) writer.SetBadSectors(buffer.bad);
  if (writer.Finish(written) != 0) return -1;
  if (!damaged) {
    RemoveOutdatedRescueMap(target.m_path);
    return 0;
  }
  // The markers are in the image already; a raw image keeps which sectors they stand for in its map.
  if (form->rawSectors &&
      SaveRescueMap(RescueMapPathOf(target.m_path), FinishedRescue(buffer.bad), 1, boxes) != 0) {
    return -1;
  }
  ShowMessage(boxes, MessageIcon::Exclamation, kTextConvertedWithBadSectors,
              {target.m_path, static_cast<int64_t>(std::count(buffer.bad.begin(), buffer.bad.end(), true))});
  return kSaveWithBadSectors;
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
    if (!cancelled() && LoadConversionSource(source_, buffer, boxes_) == 0 && !cancelled()) {
      events.Post({JobKind::Conversion, JobStep::Saving});
      const int saved = SaveImageFile(source_, target_, buffer, options_, boxes_);
      succeeded_ = saved == 0 || saved == kSaveWithBadSectors;
      damaged_ = saved == kSaveWithBadSectors;
    }
  }
  events.Post({JobKind::Conversion, JobStep::Ended});
}
