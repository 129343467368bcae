// Reading a disk into an image file; in emergency mode sector by sector, with the map, resuming and retries.
#include "app/DiskReadJob.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/BadSectorMarker.h"
#include "base/File.h"
#include "base/Texts.h"
#include "image/ImageReader.h"
#include "image/RescueMap.h"

CDiskReadJob::CDiskReadJob(const DiskJobEnvironment& environment, CImageInfo& image, OperationProgress& progress)
    : DiskJob(environment, image, progress) {}

CDiskReadJob::~CDiskReadJob() { Join(); }

int CDiskReadJob::Run() {
  const AppSettings& settings = environment_.settings;
  // Held to the end, and passed on to each file that replaces the image: a second job into the same image
  // would otherwise take over the first's checkpoints and lose what it read.
  if (imageLock_.Acquire(image_.m_path) == FileLock::Result::Busy) {
    ShowError(environment_.boxes, kTextRescueImageInUse, {image_.m_path});
    return -1;
  }
  device_ = NewDevice();
  if (device_->Open(DeviceAccess::Read) != 0) return -1;
  int geometryResult = device_->GetDiskGeometry(disk_);
  if (device_->Close() != 0 || geometryResult != 0) return -1;

  blockSize_ = settings.m_emergency ? kSectorBytes : static_cast<uint32_t>(disk_.SideBytes());
  buffer_.assign(blockSize_, 0);

  SetTotal(disk_);
  image_.m_sectorsPerTrack = disk_.sectorsPerTrack;
  image_.m_tracks = disk_.tracks;
  VolumeSpace space = device_->QueryVolumeSpace();
  image_.m_totalBytes = space.known ? space.totalBytes : 0;
  image_.m_freeBytes = space.known ? space.freeBytes : 0;
  if (Cancelled()) return -1;

  if (settings.m_emergency) {
    bad_.assign(static_cast<std::size_t>(disk_.TotalSectors()), false);
    rescued_.assign(static_cast<std::size_t>(disk_.TotalBytes()), 0);
    for (std::size_t at = 0; at < rescued_.size(); at += kSectorBytes) FillBadSectorMarker(rescued_.data() + at);
  }
  if (resume_ && settings.m_emergency && OpenPrevious() != 0) return -1;
  if (!previous_.empty()) rescued_ = previous_;

  // The data phase names tracks in its messages by the record's sectors per track, known only now.
  device_ = NewDevice();
  if (device_->Open(DeviceAccess::Read) != 0) return -1;
  if (PlanSameDiskCheck() != 0) return -1;
  writer_ = std::make_unique<ImageWriter>(environment_.boxes, WriteOptions());
  if (writer_->Open(image_.m_path) != 0) return -1;

  StartClock();
  lastCheckpoint_ = startTime_;
  uint64_t done = 0;
  for (int track = 0; track < disk_.tracks; ++track) {
    for (int head = 0; head < kHeads; ++head) {
      if (ReadSide(track, head, done) != 0) return -1;
    }
  }
  position_ = disk_.TotalBytes();  // the sweep has moved the device over the whole disk
  if (CompareRemainingRegions(position_) != 0) return -1;
  if (settings.m_emergency && RetryBadSectors() != 0) return -1;
  if (device_->Close() != 0) return -1;
  if (!settings.m_emergency) {
    if (writer_->Finish(image_) != 0) return -1;
    // A whole read has replaced what may have been a rescue: its map would call sectors bad that the image
    // now holds, and keep later rescues into the image from starting.
    RemoveOutdatedRescueMap(image_.m_path);
    return 0;
  }
  return SaveRescue(bad_.size(), '+', [&] { return writer_->Finish(image_); });
}

// A resume takes sectors from the image only while the drive holds the disk that the image was read from;
// another disk would otherwise fill this one's gaps. Sectors the image holds are read again and compared:
// the first (the boot sector, where disks of one kind differ most) before anything else, then a run in each
// quarter of them, so that two disks alike in one part (the system area of one machine's disks) still
// differ. A run is read straight after a sector that the resume reads anyway on the same track side (no seek,
// no wait for the disk to turn); the quarters without one get their runs at the first checkpoint or the end
// of the sweep, whichever comes first: nothing is saved before every quarter has been compared.
int CDiskReadJob::PlanSameDiskCheck() {
  regionFirst_.clear();
  regionCompared_.clear();
  std::vector<int64_t> held;
  for (std::size_t i = 0; i < previousMap_.size(); ++i) {
    if (PreviouslyRead(i)) held.push_back(static_cast<int64_t>(i));
  }
  if (held.empty()) return 0;
  for (std::size_t region = 0; region < kSameDiskRegions; ++region) {
    int64_t first = held[region * held.size() / kSameDiskRegions];
    if (!regionFirst_.empty() && first == regionFirst_.back()) continue;
    regionFirst_.push_back(first);
  }
  regionCompared_.assign(regionFirst_.size(), false);
  return CompareWithPrevious({held.front()}, 0);
}

bool CDiskReadJob::SameDiskConfirmed() const {
  return std::find(regionCompared_.begin(), regionCompared_.end(), false) == regionCompared_.end();
}

std::size_t CDiskReadJob::RegionOf(int64_t sector) const {
  auto after = std::upper_bound(regionFirst_.begin(), regionFirst_.end(), sector);
  return after == regionFirst_.begin() ? 0 : static_cast<std::size_t>(after - regionFirst_.begin() - 1);
}

// After sector has been read (the device at the sector that follows it): the sectors that follow it on its
// track side, as long as the image holds them, when its quarter has not been compared yet.
int CDiskReadJob::CompareAfter(int64_t sector) {
  if (SameDiskConfirmed()) return 0;
  std::size_t region = RegionOf(sector);
  if (regionCompared_[region]) return 0;
  std::vector<int64_t> run;
  for (int64_t next = sector + 1; next % disk_.sectorsPerTrack != 0 && run.size() < kSameDiskRunSectors &&
                                  next < disk_.TotalSectors() && PreviouslyRead(static_cast<std::size_t>(next));
       ++next) {
    run.push_back(next);
  }
  if (run.empty()) return 0;
  if (CompareWithPrevious(run, (sector + 1) * kSectorBytes) != 0) return -1;
  regionCompared_[region] = true;
  return 0;
}

// The quarters that the sweep has given no run so far: the first sectors of each, the device at offset.
int CDiskReadJob::CompareRemainingRegions(int64_t offset) {
  std::vector<int64_t> runs;
  for (std::size_t region = 0; region < regionFirst_.size(); ++region) {
    if (regionCompared_[region]) continue;
    std::size_t length = 0;
    for (int64_t sector = regionFirst_[region]; sector < disk_.TotalSectors() && length < kSameDiskRunSectors;
         ++sector) {
      if (!PreviouslyRead(static_cast<std::size_t>(sector))) continue;
      runs.push_back(sector);
      ++length;
    }
  }
  if (runs.empty()) return 0;
  if (CompareWithPrevious(runs, offset) != 0) return -1;
  regionCompared_.assign(regionCompared_.size(), true);
  return 0;
}

int CDiskReadJob::CompareWithPrevious(const std::vector<int64_t>& sectors, int64_t deviceAt) {
  position_ = deviceAt;
  std::array<uint8_t, kSectorBytes> sample;  // the job's buffer may hold the sector the sweep is at
  for (int64_t sector : sectors) {
    MoveTo(sector * kSectorBytes);
    uint32_t transferred = 0;
    int read = device_->Read(sample.data(), kSectorBytes, transferred, sector, 1);
    if (read == kDiskChangedDuringJob) return -1;
    if (read != 0) continue;  // a sector that fails now tells nothing
    position_ += kSectorBytes;
    if (std::memcmp(sample.data(), &previous_[static_cast<std::size_t>(sector) * kSectorBytes], kSectorBytes) != 0) {
      ShowError(environment_.boxes, kTextRescueOtherDisk, {image_.m_path, sector + 1});
      return -1;
    }
  }
  MoveTo(deviceAt);
  return 0;
}

void CDiskReadJob::MoveTo(int64_t offset) {
  device_->MovePointer(static_cast<int32_t>(offset - position_));
  position_ = offset;
}

// Each retry pass tries the sectors still bad once more, in the other direction than the pass before, and
// takes the head to the far half of the disk and back before each try: a sector that fails from one side
// sometimes reads after the head has settled anew.
int CDiskReadJob::RetryBadSectors() {
  int cylinderSectors = disk_.sectorsPerTrack * kHeads;
  for (int pass = 1; pass <= static_cast<int>(environment_.settings.m_retryPasses); ++pass) {
    std::vector<int64_t> sectors;
    for (std::size_t i = 0; i < bad_.size(); ++i) {
      if (bad_[i]) sectors.push_back(static_cast<int64_t>(i));
    }
    if (sectors.empty()) break;
    if (pass % 2 == 1) std::reverse(sectors.begin(), sectors.end());
    for (int64_t sector : sectors) {
      uint32_t transferred = 0;
      int cylinder = static_cast<int>(sector / cylinderSectors);
      int64_t away = int64_t{cylinder < disk_.tracks / 2 ? disk_.tracks - 1 : 0} * cylinderSectors;
      MoveTo(away * kSectorBytes);
      int read = device_->Read(buffer_.data(), kSectorBytes, transferred, away, 1);
      if (read == kDiskChangedDuringJob) return -1;
      if (read == 0) position_ += kSectorBytes;
      MoveTo(sector * kSectorBytes);
      read = device_->Read(buffer_.data(), kSectorBytes, transferred, sector, 1);
      if (read == kDiskChangedDuringJob) return -1;
      if (read == 0) {
        position_ += kSectorBytes;
        uint32_t offset = static_cast<uint32_t>(sector * kSectorBytes);
        if (writer_->Rewrite(offset, buffer_.data(), kSectorBytes) != 0) return -1;
        std::memcpy(rescued_.data() + offset, buffer_.data(), kSectorBytes);
        bad_[static_cast<std::size_t>(sector)] = false;
        std::erase(progress_.badSectorOffsets, offset);
        progress_.recoveredSectors.push_back({offset, pass});
      }
      if (Cancelled()) return -1;
      ReportBlock(totalBytes_);
      if (Checkpoint(bad_.size(), '-') != 0) return -1;
    }
  }
  return 0;
}

int CDiskReadJob::Checkpoint(std::size_t tried, char status) {
  int64_t now = environment_.clock.NowSeconds();
  if (now - lastCheckpoint_ < kCheckpointSeconds) return 0;
  // Only the sweep checkpoints before the check is done: the device is at the first sector not tried.
  if (CompareRemainingRegions(static_cast<int64_t>(tried) * kSectorBytes) != 0) return -1;
  lastCheckpoint_ = now;
  return SaveRescue(tried, status, [&] {
    ImageWriter checkpoint(environment_.boxes, WriteOptions());
    CImageInfo info = image_;
    if (checkpoint.Open(image_.m_path) != 0 || checkpoint.Write(rescued_.data(), rescued_.size()) != 0) return -1;
    return checkpoint.Finish(info);
  });
}

// Image and map are replaced one after the other, and a job may end between the two: at every moment the
// map on the disk calls a sector read only where the image holds it (or a marker, which counts as bad), and
// bad only where the image holds a marker. So a sector that the map holds as bad and the new image as read
// is first made untried in the map; then the image, then the map.
int CDiskReadJob::SaveRescue(std::size_t tried, char status, const std::function<int()>& saveImage) {
  std::string mapPath = RescueMapPathOf(image_.m_path);
  int pass = status == '?' ? 1 : PassesPlanned();
  RescueProgress progress{std::string(bad_.size(), '?'), uint64_t{tried} * kSectorBytes, status};
  for (std::size_t i = 0; i < bad_.size(); ++i) {
    // Sectors not tried yet keep what the resumed image had: its good ones stay good.
    if (i >= tried) progress.sectors[i] = PreviouslyRead(i) ? '+' : '?';
    // A sector that failed again keeps what the resumed image had there: bad only where that is a marker.
    else if (bad_[i]) progress.sectors[i] = IsBadSectorMarker(&rescued_[i * kSectorBytes]) ? '-' : '?';
    else progress.sectors[i] = '+';
  }
  // A map this job knows nothing of (a rescue started over) is made all untried first.
  RescueProgress between = progress;
  between.sectors = savedMap_.empty() ? std::string(bad_.size(), '?') : savedMap_;
  bool needed = savedMap_.empty() ? FileExists(mapPath) : false;
  for (std::size_t i = 0; i < bad_.size(); ++i) {
    if (between.sectors[i] == '-' && progress.sectors[i] != '-') {
      between.sectors[i] = '?';
      needed = true;
    }
  }
  if (needed && SaveRescueMap(mapPath, between, pass, environment_.boxes) != 0) return -1;
  if (needed) savedMap_ = between.sectors;
  if (saveImage() != 0) return -1;
  if (SaveRescueMap(mapPath, progress, pass, environment_.boxes) != 0) return -1;
  savedMap_ = progress.sectors;
  return 0;
}

bool CDiskReadJob::PreviouslyRead(std::size_t sector) const {
  return !previous_.empty() && previousMap_[sector] == '+' && !IsBadSectorMarker(&previous_[sector * kSectorBytes]);
}

ImageWriteOptions CDiskReadJob::WriteOptions() {
  ImageWriteOptions options;
  options.compatible = environment_.settings.m_compatible != 0;
  options.selfExe = &environment_.selfExe;
  options.programPath = environment_.programPath;
  options.lock = &imageLock_;
  return options;
}

int CDiskReadJob::OpenPrevious() {
  IMessageBoxes& boxes = environment_.boxes;
  CImageInfo previous;
  if (previous.LoadInfo(image_.m_path, boxes) != 0) return -1;
  if (previous.Geometry() != disk_) {
    ShowError(boxes, kTextRescueImageMismatch, {image_.m_path});
    return -1;
  }
  std::string mapPath = RescueMapPathOf(image_.m_path);
  if (!FileExists(mapPath)) {
    ShowError(boxes, kTextRescueMapMissing, {image_.m_path, mapPath});
    return -1;
  }
  std::optional<std::string> map = LoadRescueMap(mapPath, static_cast<uint64_t>(disk_.TotalBytes()), boxes);
  if (!map) return -1;
  // Held whole, so that the file is closed and may be replaced at a checkpoint (Windows refuses open files).
  previous_.assign(static_cast<std::size_t>(disk_.TotalBytes()), 0);
  ImageReader reader(boxes);
  if (reader.Open(previous) != 0) return -1;
  if (reader.Read(previous_.data(), previous_.size()) != static_cast<int64_t>(previous_.size())) {
    ShowError(boxes, kTextImageReadFailed);
    return -1;
  }
  reader.Close();
  // A map of another image calls sectors bad where this image holds data.
  for (std::size_t i = 0; i < map->size(); ++i) {
    if ((*map)[i] == '-' && !IsBadSectorMarker(&previous_[i * kSectorBytes])) {
      ShowError(boxes, kTextRescueMapUnusable, {mapPath});
      return -1;
    }
  }
  previousMap_ = *map;
  savedMap_ = std::move(*map);
  return 0;
}

int CDiskReadJob::ReadSide(int track, int head, uint64_t& done) {
  int64_t firstSector = disk_.LinearSector(track, head, 0);
  int blocks = environment_.settings.m_emergency ? disk_.sectorsPerTrack : 1;
  for (int block = 0; block < blocks; ++block) {
    if (blocks == 1) {
      uint32_t transferred = 0;
      if (device_->Read(buffer_.data(), blockSize_, transferred, firstSector, disk_.sectorsPerTrack) != 0) return -1;
    } else if (ReadSector(firstSector + block, done) != 0) {
      return -1;
    }
    if (Cancelled()) return -1;
    if (writer_->Write(buffer_.data(), blockSize_) != 0) return -1;
    done += blockSize_;
    ReportBlock(done);
    if (blocks > 1) {
      std::memcpy(rescued_.data() + done - blockSize_, buffer_.data(), blockSize_);
      if (Checkpoint(static_cast<std::size_t>(done / kSectorBytes), '?') != 0) return -1;
    }
  }
  return 0;
}

// Emergency reading: a sector that fails is recorded, skipped and replaced by the marker block (or, when
// resuming, by what the image had).
int CDiskReadJob::ReadSector(int64_t sector, uint64_t done) {
  std::size_t index = static_cast<std::size_t>(sector);
  const uint8_t* previousBlock = previous_.empty() ? nullptr : previous_.data() + index * kSectorBytes;
  if (PreviouslyRead(index)) {
    std::memcpy(buffer_.data(), previousBlock, kSectorBytes);
    device_->MovePointer(kSectorBytes);
    return 0;
  }
  uint32_t transferred = 0;
  int read = device_->Read(buffer_.data(), kSectorBytes, transferred, sector, 1);
  if (read == 0) return CompareAfter(sector);
  if (read == kDiskChangedDuringJob) return -1;
  progress_.badSectorOffsets.push_back(static_cast<uint32_t>(done));
  bad_[index] = true;
  device_->MovePointer(kSectorBytes);
  if (previousBlock) {
    std::memcpy(buffer_.data(), previousBlock, kSectorBytes);
  } else {
    FillBadSectorMarker(buffer_.data());
  }
  return CompareAfter(sector);
}

void CDiskReadJob::Close(bool failed) {
  if (device_) device_->Close();
  // A failed or cancelled read leaves a file that was there as it was, or as the last checkpoint left image
  // and map: a rescue goes on from there with --resume.
  if (failed && writer_) writer_->Abandon();
  imageLock_.Release();
}
