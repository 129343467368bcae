#include "image/ImageChange.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "base/BadSectorMarker.h"
#include "base/RandomBits.h"
#include "base/Texts.h"
#include "filesystem/Fat12.h"
#include "image/forms/ImageForm.h"
#include "image/RescueMap.h"

namespace {

// The sectors that a rescue left bad: those the form records, those holding the marker, and those the map
// beside the image does not call read. A map that cannot be read still makes the image a rescue's: -1.
int64_t BadSectorsOf(const std::string& path, const ImageBuffer& buffer) {
  const std::size_t sectors = buffer.count / kSectorBytes;
  std::vector<bool> bad(sectors, false);
  for (std::size_t s = 0; s < sectors; ++s) {
    bad[s] = (s < buffer.bad.size() && buffer.bad[s]) || IsBadSectorMarker(buffer.bytes.data() + s * kSectorBytes);
  }
  const std::string mapPath = RescueMapPathOf(path);
  if (UseOfName(mapPath) != NameUse::Free) {
    std::optional<std::string> text;
    if (File map = File::Open(mapPath, FileMode::Read)) {
      std::string read(1 << 20, '\0');
      read.resize(map.Read(read.data(), read.size()));
      text = read;
    }
    const std::optional<std::string> map = text ? ParseRescueMap(*text, buffer.count) : std::nullopt;
    if (!map) return -1;
    for (std::size_t s = 0; s < sectors && s < map->size(); ++s) bad[s] = bad[s] || (*map)[s] != '+';
  }
  return std::count(bad.begin(), bad.end(), true);
}

// A volume serial number no other new disk shares, as a format gives one: DOS tells a changed disk in a
// drive by it, so two disks with one number risk one disk's cached FAT being written onto the other.
uint32_t NewVolumeSerial() {
  const auto serial = static_cast<uint32_t>(RandomBits());
  return serial != 0 ? serial : 1;  // 0 is a volume without one
}

}  // namespace

ChangeOpen ImageChange::Open(const std::string& path, IMessageBoxes& boxes, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  FileLock::Result locked = lock_.Acquire(path);
  while (locked == FileLock::Result::Busy && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    locked = lock_.Acquire(path);
  }
  if (locked == FileLock::Result::Busy) {
    ShowError(boxes, kTextChangeImageBusy, {path});
    return ChangeOpen::Busy;
  }
  if (info_.LoadInfo(path, boxes) != 0) return ChangeOpen::Unusable;
  // Saved in the form its name gives, an image of a form this program only reads would silently become
  // another form.
  const ImageForm* form = FormOfFile(path);
  if (!form || !form->Writable() || form != FormOfPath(path)) {
    ShowError(boxes, kTextChangeFormReadOnly, {path});
    return ChangeOpen::ReadOnlyForm;
  }
  ImageBuffer buffer;
  if (LoadImageFile(info_, buffer, boxes) != 0) return ChangeOpen::Unusable;
  const int64_t bad = BadSectorsOf(path, buffer);
  if (bad != 0) {
    ShowError(boxes, kTextChangeImageDamaged, {path, std::max<int64_t>(bad, 0)});
    return ChangeOpen::Damaged;
  }
  buffer.bytes.resize(buffer.count);
  sectors_ = std::move(buffer.bytes);
  created_ = false;
  return ChangeOpen::Ready;
}

ChangeOpen ImageChange::New(const std::string& path, const FloppyGeometry& geometry, bool replace,
                            IMessageBoxes& boxes) {
  if (info_.SetTarget(path, boxes) != 0) return ChangeOpen::Unusable;
  if (FileExists(path)) {
    if (!replace) {
      ShowError(boxes, kTextChangeExists, {path});
      return ChangeOpen::Exists;
    }
    if (lock_.Acquire(path) == FileLock::Result::Busy) {
      ShowError(boxes, kTextChangeImageBusy, {path});
      return ChangeOpen::Busy;
    }
  }
  info_.m_tracks = geometry.tracks;
  info_.m_sectorsPerTrack = geometry.sectorsPerTrack;
  info_.m_description.clear();
  sectors_ = BlankFat12Volume(geometry, NewVolumeSerial());
  created_ = true;
  return sectors_.empty() ? ChangeOpen::Unusable : ChangeOpen::Ready;
}

int ImageChange::Save(std::vector<uint8_t> sectors, ImageWriteOptions write, IMessageBoxes& boxes,
                      const std::atomic<bool>* cancel) {
  CImageInfo source = info_;
  const SectorReader read = [&sectors](int64_t sector) -> const uint8_t* {
    return sector >= 0 && static_cast<std::size_t>(sector + 1) * kSectorBytes <= sectors.size()
               ? sectors.data() + sector * kSectorBytes
               : nullptr;
  };
  if (std::optional<Fat12Space> space = MeasureFat12(read, static_cast<int64_t>(sectors.size() / kSectorBytes))) {
    source.m_totalBytes = static_cast<int32_t>(space->totalBytes);
    source.m_freeBytes = static_cast<int32_t>(space->freeBytes);
  }
  // An image other tools use without our trailer stays without it, and one with it keeps it.
  if (!created_) write.compatible = info_.m_hasTrailer == 0;
  write.lock = lock_.Held() ? &lock_ : nullptr;
  SaveOptions options;
  options.write = std::move(write);
  options.suppress = true;
  options.cancel = cancel;
  ImageBuffer buffer;
  buffer.count = sectors.size();
  buffer.bytes = std::move(sectors);
  if (const int saved = SaveImageFile(source, info_, buffer, options, boxes); saved != 0) {
    return saved == kSaveCancelled ? kSaveCancelled : -1;
  }
  const ImageForm* form = FormOfPath(info_.m_path);
  info_ = source;
  info_.m_hasTrailer = form && form->trailer == TrailerUse::UnlessCompatible && options.write.compatible ? 0 : 1;
  sectors_ = std::move(buffer.bytes);
  created_ = false;
  if (!lock_.Held()) lock_.Acquire(info_.m_path);
  return 0;
}
