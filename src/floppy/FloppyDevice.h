#pragma once
// The device operations of the track engine, one set per system family: the NT path, the Windows 9x VWIN32
// path and the Linux path, each over its own syscall seam (the real system or a virtual floppy). Each
// operation shows the message of its failure before it returns; results are 0, -1 and, for FormatTrack, -2
// (done, with recreated bad sectors).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "base/MessageBoxes.h"
#include "settings/Settings.h"

inline constexpr int kDiskChangedDuringJob = -3;

enum class DeviceAccess {
  Read,       // the read job: GENERIC_READ, FILE_SHARE_READ
  ReadWrite,  // the write job and formatting: GENERIC_READ | GENERIC_WRITE, share read and write
};

// What the operations read of the running operation: the drive and the settings that shape their
// messages, and the image record whose sectors per track name tracks and heads in messages.
struct DeviceContext {
  const AppSettings& settings;
  int32_t imageSectorsPerTrack;
  IMessageBoxes& boxes;
};

// Track and head of a linear sector, counted with the image's sectors per track, as failure messages name
// them; an image record without sectors per track must not make a message divide by zero.
inline int MessageTrackOf(const DeviceContext& context, int64_t sector) {
  int64_t perTrack = context.imageSectorsPerTrack > 0 ? context.imageSectorsPerTrack : 1;
  return static_cast<int>(sector / perTrack / kHeads);
}
inline int MessageHeadOf(const DeviceContext& context, int64_t sector) {
  int64_t perTrack = context.imageSectorsPerTrack > 0 ? context.imageSectorsPerTrack : 1;
  return static_cast<int>(sector / perTrack % kHeads);
}

// The failures of a transfer, told the same way by every device path; error is the system's code. Each
// returns -1.
// A read that fails: told unless emergency reading, which records the sector and goes on.
int FailRead(const DeviceContext& context, int64_t startSector, uint32_t error);
// A write that fails: silent while recreating bad sectors (a sector formatted as bad refuses the write).
int FailWrite(const DeviceContext& context, int64_t startSector, uint32_t error, bool writeProtected);
// A verification that fails: one sector (count 1) or a track side.
int FailVerify(const DeviceContext& context, int64_t startSector, int count, uint32_t error);

// The largest medium a floppy drive can report; anything else would make the engine's block and progress
// arithmetic divide by zero or overflow.
inline bool PlausibleGeometry(const FloppyGeometry& disk) {
  return disk.tracks > 0 && disk.tracks <= 255 && disk.sectorsPerTrack > 0 && disk.sectorsPerTrack <= 255;
}

struct VolumeSpace {
  bool known = false;  // false when the query failed (both values are then 0)
  int32_t totalBytes = 0;
  int32_t freeBytes = 0;
};

class IFloppyDevice {
 public:
  virtual ~IFloppyDevice() = default;

  // Opens the drive named by FDLetter: 0, or -1 after message 107 naming the drive.
  virtual int Open(DeviceAccess access) = 0;
  // The medium's geometry (up to 5 requests): 0, or -1 after 57711 / 57667.
  virtual int GetDiskGeometry(FloppyGeometry& disk) = 0;
  // Windows 9x only (the NT path has nothing to set): 0, or -1 after its message.
  virtual int SetMediaType(const FloppyGeometry& image) = 0;
  // Formats one side of one track; flags (by linear sector index) mark sectors to recreate as bad.
  virtual int FormatTrack(int track, int head, const FloppyGeometry& image, const std::vector<uint32_t>& badFlags) = 0;
  // One transfer of bytes at the current position; startSector and count name the sectors in messages
  // (and address them on Windows 9x). Read and Write return kDiskChangedDuringJob, after its message, when
  // the disk was taken out or changed since the job began: emergency reading and the recreation of bad
  // sectors must then stop rather than take every further sector for a bad one.
  virtual int Read(void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int count) = 0;
  virtual int Write(const void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int count) = 0;
  // Reads the sectors back into a scratch buffer; nothing is compared.
  virtual int Verify(uint32_t bytes, int64_t startSector, int count) = 0;
  // Moves the position by distance bytes (NT: the handle's file pointer; 9x addresses sectors: nothing).
  virtual void MovePointer(int32_t distance) = 0;
  // Ends the phase: 0, or -1 after its message when what was written could not be kept (a virtual floppy
  // whose file cannot be saved). Closing a closed device does nothing.
  virtual int Close() = 0;
  // Total and free bytes of the drive's file system (GetDiskFreeSpaceEx on "A:"), low 32 bits.
  virtual VolumeSpace QueryVolumeSpace() = 0;
};

// Makes the device operations for one job. The front ends choose the factory: the real drive, or a
// virtual floppy for the drive letters that $DISKELLE_DRIVE_A / $DISKELLE_DRIVE_B name.
class IFloppyDeviceFactory {
 public:
  virtual ~IFloppyDeviceFactory() = default;
  virtual std::unique_ptr<IFloppyDevice> Create(const DeviceContext& context) = 0;
  // Whether a path named for a drive letter is one of this system's drives rather than a virtual floppy
  // file. None is, but on Linux.
  virtual bool IsDrive(const std::string&) const { return false; }
};
