#include "image/forms/CaptureImage.h"

#include <algorithm>
#include <cstring>

#include "base/Format.h"
#include "base/Texts.h"

namespace {

const ImageForm* CaptureFormOf(const std::string& path) {
  const ImageForm* form = FormOfPath(path);
  return form && form->openCapture ? form : nullptr;
}

std::string FormWords(const ImageForm& form) {
  std::string_view words = form.description;
  return std::string(words.substr(0, words.find_last_not_of(' ') + 1));
}

}  // namespace

CaptureImage::CaptureImage(std::unique_ptr<Capture> capture, const FloppyGeometry& geometry)
    : capture_(std::move(capture)), geometry_(geometry) {}

std::optional<uint64_t> CaptureImage::KnownBytes() const { return static_cast<uint64_t>(geometry_.TotalBytes()); }

int64_t CaptureImage::Read(void* data, std::size_t bytes) {
  Decode(nullptr);
  const std::size_t count = std::min(bytes, disk_.bytes.size() - position_);
  if (count > 0) std::memcpy(data, disk_.bytes.data() + position_, count);
  position_ += count;
  return static_cast<int64_t>(count);
}

std::vector<bool> CaptureImage::BadSectors() const { return disk_.bad; }

bool CaptureImage::Decode(DecodeWatcher* watcher) {
  if (!decoded_) {
    disk_ = DecodeCapture(*capture_, geometry_, watcher);
    decoded_ = !disk_.cancelled;
  }
  return decoded_;
}

bool IsFluxCapture(const std::string& path) { return CaptureFormOf(path) != nullptr; }

std::unique_ptr<CaptureImage> OpenCaptureImage(const std::string& path) {
  const ImageForm* form = CaptureFormOf(path);
  if (!form) return nullptr;
  CaptureOpening opening = form->openCapture(path);
  if (!opening.capture) return nullptr;
  DiskLayout layout = SurveyCapture(*opening.capture);
  if (layout.fault != LayoutFault::None) return nullptr;
  return std::make_unique<CaptureImage>(std::move(opening.capture), layout.geometry);
}

void ShowCaptureUnreadable(const std::string& path, IMessageBoxes& boxes) {
  const ImageForm* form = CaptureFormOf(path);
  CaptureOpening opening = form ? form->openCapture(path) : CaptureOpening{};
  if (!form || opening.fault == CaptureFault::CannotOpen) {
    ShowError(boxes, kTextCannotOpen, {path});
    return;
  }
  const std::string shown = boxes.ShownArgument(path);
  auto show = [&](const char* text, std::vector<FormatArg> arguments) {
    boxes.Show(0, FormatText(text, arguments), MessageIcon::Error);
  };
  switch (opening.fault) {
    case CaptureFault::NotCapture: return show(kTextCaptureNotCapture, {shown, FormWords(*form)});
    case CaptureFault::Cut: return show(kTextCaptureCut, {shown});
    case CaptureFault::BadHeader: return show(kTextCaptureBadHeader, {shown});
    case CaptureFault::NoTracks: return show(kTextCaptureNoTracks, {shown});
    default: break;
  }
  DiskLayout layout = SurveyCapture(*opening.capture);
  if (layout.fault == LayoutFault::UnknownFormat) return show(kTextCaptureUnknownFormat, {shown, layout.sectorsPerTrack});
  // No sector anywhere: where no track could even be read, the first one says why.
  const std::vector<TrackPlace>& places = opening.capture->Places();
  TrackFlux flux;
  TrackFault first = TrackFault::None;
  for (const TrackPlace& place : places) {
    const TrackFault fault = opening.capture->Load(place, flux);
    if (fault == TrackFault::None) return show(kTextCaptureNoSectors, {shown});
    if (&place == &places.front()) first = fault;
  }
  show(kTextCaptureNoTrackRead, {shown, places.front().cylinder, places.front().head, TrackFaultText(first)});
}

const char* TrackFaultText(TrackFault fault) {
  switch (fault) {
    case TrackFault::Missing: return kTextTrackMissing;
    case TrackFault::Cut: return kTextTrackCut;
    case TrackFault::Damaged: return kTextTrackDamaged;
    case TrackFault::NoIndex: return kTextTrackNoIndex;
    case TrackFault::NoFlux: return kTextTrackNoFlux;
    case TrackFault::Unreadable: return kTextTrackUnreadable;
    case TrackFault::None: break;
  }
  return "";
}
