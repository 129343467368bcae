// Writing an image file onto a disk, once the whole image has been read and checked.
#include "app/DiskWriteJob.h"

#include <cstring>

#include "base/BadSectorMarker.h"
#include "base/Texts.h"
#include "image/WholeImageCheck.h"

CDiskWriteJob::CDiskWriteJob(const DiskJobEnvironment& environment, CImageInfo& image, OperationProgress& progress)
    : DiskJob(environment, image, progress) {
  blockSize_ = Recreating() ? kSectorBytes : static_cast<uint32_t>(image.Geometry().SideBytes());
  buffer_.assign(blockSize_, 0);
}

CDiskWriteJob::~CDiskWriteJob() { Join(); }

bool CDiskWriteJob::Recreating() const {
  return environment_.settings.m_formatDisk && environment_.settings.m_recreateBad;
}

int CDiskWriteJob::Run() {
  const AppSettings& settings = environment_.settings;
  const FloppyGeometry image = image_.Geometry();
  if (CheckImage() != 0 || Cancelled()) return -1;
  if (settings.m_formatDisk && FormatAllTracks() != 0) return -1;

  device_ = NewDevice();
  if (device_->Open(DeviceAccess::ReadWrite) != 0) return -1;
  int geometryResult = device_->GetDiskGeometry(disk_);
  if (device_->Close() != 0 || geometryResult != 0) return -1;
  SetTotal(disk_);
  if (Cancelled()) return -1;
  if (CheckDiskMatchesImage(image, disk_, environment_.boxes) != 0) return -1;

  if (device_->Open(DeviceAccess::ReadWrite) != 0) return -1;
  reader_ = std::make_unique<ImageReader>(environment_.boxes);
  if (reader_->Open(image_) != 0) return -1;

  StartClock();
  uint64_t done = 0;
  int blocksPerSide = Recreating() ? image.sectorsPerTrack : 1;
  int sectorsPerBlock = Recreating() ? 1 : image.sectorsPerTrack;
  for (int track = 0; track < image.tracks; ++track) {
    for (int head = 0; head < kHeads; ++head) {
      for (int block = 0; block < blocksPerSide; ++block) {
        if (WriteBlock(image.LinearSector(track, head, block), sectorsPerBlock, done) != 0) return -1;
      }
    }
  }
  // Only a close that succeeds has put everything on the disk (a virtual floppy saves its file here).
  return device_->Close();
}

int CDiskWriteJob::WriteBlock(int64_t startSector, int count, uint64_t& done) {
  int64_t got = reader_->Read(buffer_.data(), blockSize_);
  if (got < 0) return -1;
  uint32_t bytes = static_cast<uint32_t>((got + kSectorBytes - 1) / kSectorBytes * kSectorBytes);
  // Where the image ends inside the block, the disk gets zeros, never the previous block's bytes.
  std::memset(buffer_.data() + got, 0, bytes - static_cast<uint32_t>(got));

  uint32_t transferred = 0;
  bool verify = environment_.settings.m_verifyWrite != 0;
  if (int written = device_->Write(buffer_.data(), bytes, transferred, startSector, count); written != 0) {
    if (!Recreating() || written == kDiskChangedDuringJob) return -1;
    // A sector formatted as bad refuses the write: recorded and skipped.
    progress_.badSectorOffsets.push_back(static_cast<uint32_t>(done));
    device_->MovePointer(static_cast<int32_t>(blockSize_));
  } else if (verify) {
    device_->MovePointer(-static_cast<int32_t>(bytes));
    if (device_->Verify(bytes, startSector, count) != 0) return -1;
  }
  if (Cancelled()) return -1;
  done += bytes;
  ReportBlock(done);
  return 0;
}

// Nothing reaches the drive before the whole image has been read: a damaged or oversized image found halfway
// would leave the disk destroyed. The bad-sector scan rides on the same pass.
int CDiskWriteJob::CheckImage() {
  badSectorFlags_.clear();
  bool any = false;
  ImageBlockVisitor scan;
  if (Recreating()) {
    scan = [this, &any](const uint8_t* block) {
      bool marker = IsBadSectorMarker(block);
      any = any || marker;
      badSectorFlags_.push_back(marker ? 1 : 0);
    };
  }
  if (CheckWholeImage(image_, environment_.boxes, scan, adviseNewChecksum_ ? kTextNewChecksumByConversion : nullptr) !=
      0) {
    return -1;
  }
  if (Recreating() && !any) {
    ShowInformation(environment_.boxes, kTextNoBadSectorsInImage);
    return -1;
  }
  return 0;
}

int CDiskWriteJob::FormatAllTracks() {
  const FloppyGeometry image = image_.Geometry();
  SetTotal(image);
  if (CheckFormatSupported(image, environment_.ntMajorVersion, environment_.boxes) != 0) return -1;
  device_ = NewDevice();
  if (device_->Open(DeviceAccess::ReadWrite) != 0) return -1;
  if (device_->SetMediaType(image) != 0) return -1;

  StartClock();
  for (int track = 0; track < image.tracks; ++track) {
    for (int head = 0; head < kHeads; ++head) {
      int result = device_->FormatTrack(track, head, image, badSectorFlags_);
      if (result == -1) return -1;
      if (result == -2) {
        // Recreated bad sectors cannot be read back; keep later verifications aligned.
        device_->MovePointer(image.SideBytes());
      } else if (environment_.settings.m_verifyFormat &&
                 device_->Verify(static_cast<uint32_t>(image.SideBytes()), image.LinearSector(track, head, 0),
                                 image.sectorsPerTrack) != 0) {
        return -1;
      }
      double position = head * 0.5 + track;
      progress_.percent = static_cast<uint32_t>(static_cast<int64_t>(position * 100) / image.tracks);
      progress_.kbDone = static_cast<uint32_t>(position / image.tracks * static_cast<double>(totalBytes_ / 1024));
      UpdateSpeed();
      if (Cancelled()) return -1;
      if (events_) events_->Post({JobKind::Write, JobStep::SideFormatted});
    }
  }
  // A drive that cannot finish the format (a virtual floppy whose file cannot be saved) has not formatted.
  return device_->Close();
}

void CDiskWriteJob::Close(bool) {
  if (device_) device_->Close();
  if (reader_) reader_->Close();
}
