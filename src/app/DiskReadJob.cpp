// Reading a disk into an image file; in emergency mode sector by sector, with the map, resuming and retries.
#include "app/DiskJobs.h"

#include <algorithm>
#include <cstring>

#include "base/File.h"
#include "base/Texts.h"
#include "image/RescueMap.h"

CDiskReadJob::CDiskReadJob(const DiskJobEnvironment& environment, CImageInfo& image, OperationProgress& progress)
    : DiskJob(environment, image, progress) {}

CDiskReadJob::~CDiskReadJob() { Join(); }

int CDiskReadJob::Run() {
  const AppSettings& settings = environment_.settings;
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
  if (settings.m_emergency && RetryBadSectors() != 0) return -1;
  if (device_->Close() != 0) return -1;
  if (writer_->Finish(image_) != 0) return -1;
  // The image first: a map older than its image only sends sectors that were read already to the drive again.
  if (settings.m_emergency &&
      SaveRescueMap(RescueMapPathOf(image_.m_path), FinishedRescue(bad_), PassesPlanned(), environment_.boxes) != 0) {
    return -1;
  }
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
  position_ = disk_.TotalBytes();  // the first pass has moved the device over the whole disk
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
  lastCheckpoint_ = now;
  ImageWriter checkpoint(environment_.boxes, WriteOptions());
  CImageInfo info = image_;
  if (checkpoint.Open(image_.m_path) != 0 || checkpoint.Write(rescued_.data(), rescued_.size()) != 0 ||
      checkpoint.Finish(info) != 0) {
    return -1;
  }
  checkpointed_ = true;
  // Sectors not tried yet keep what the resumed image had: its good ones stay good.
  RescueProgress progress{std::string(bad_.size(), '?'), uint64_t{tried} * kSectorBytes, status};
  for (std::size_t i = 0; i < bad_.size(); ++i) {
    if (i < tried) progress.sectors[i] = bad_[i] ? '-' : '+';
    else if (PreviouslyRead(i)) progress.sectors[i] = '+';
  }
  // The image first, as at the end: a map older than its image only sends sectors to the drive again.
  return SaveRescueMap(RescueMapPathOf(image_.m_path), progress, status == '?' ? 1 : PassesPlanned(),
                       environment_.boxes);
}

bool CDiskReadJob::PreviouslyRead(std::size_t sector) const {
  return !previous_.empty() && !previousBad_[sector] && !IsBadSectorMarker(&previous_[sector * kSectorBytes]);
}

ImageWriteOptions CDiskReadJob::WriteOptions() const {
  ImageWriteOptions options;
  options.compatible = environment_.settings.m_compatible != 0;
  options.selfExe = &environment_.selfExe;
  options.programPath = environment_.programPath;
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
  std::optional<std::vector<bool>> map = LoadRescueMap(RescueMapPathOf(image_.m_path), static_cast<uint64_t>(disk_.TotalBytes()), boxes);
  if (!map) return -1;
  previousBad_ = std::move(*map);
  // Held whole, so that the file is closed and may be replaced at a checkpoint (Windows refuses open files).
  previous_.assign(static_cast<std::size_t>(disk_.TotalBytes()), 0);
  ImageReader reader(boxes);
  if (reader.Open(previous) != 0) return -1;
  if (reader.Read(previous_.data(), previous_.size()) != static_cast<int64_t>(previous_.size())) {
    ShowError(boxes, kTextImageReadFailed);
    return -1;
  }
  reader.Close();
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
  if (read == 0) return 0;
  if (read == kDiskChangedDuringJob) return -1;
  progress_.badSectorOffsets.push_back(static_cast<uint32_t>(done));
  bad_[index] = true;
  device_->MovePointer(kSectorBytes);
  if (previousBlock) {
    std::memcpy(buffer_.data(), previousBlock, kSectorBytes);
  } else {
    FillBadSectorMarker(buffer_.data());
  }
  return 0;
}

void CDiskReadJob::Close(bool failed) {
  if (device_) device_->Close();
  // A failed or cancelled read leaves no image behind, and a file that was there stays as it was, or as the
  // last checkpoint of a resume left it (more sectors read, none lost).
  if (failed && writer_) writer_->Abandon();
  if (failed && checkpointed_ && previous_.empty()) {
    RemoveFile(image_.m_path);
    RemoveFile(RescueMapPathOf(image_.m_path));
  }
}
