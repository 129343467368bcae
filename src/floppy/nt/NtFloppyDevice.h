#pragma once
// The device operations of NT-family systems: the drive's device object (\\.\A: or \\.\B:), the disk
// I/O controls for geometry and formatting, and plain reads and writes at the handle's file pointer.
// Everything goes through INtSyscalls, so the same code drives a real drive or a virtual floppy.

#include <string>
#include <utility>

#include "floppy/FloppyDevice.h"
#include "floppy/nt/NtSyscalls.h"

class NtFloppyDevice final : public IFloppyDevice {
 public:
  // node: the file that stands in for the drive (a virtual floppy), named with the letter when it cannot be
  // opened; empty for the system's drive.
  NtFloppyDevice(INtSyscalls& os, const DeviceContext& context, std::string node = {})
      : os_(os), context_(context), node_(std::move(node)) {}
  ~NtFloppyDevice() override { Close(); }
  NtFloppyDevice(const NtFloppyDevice&) = delete;
  NtFloppyDevice& operator=(const NtFloppyDevice&) = delete;

  // OpenFloppyDevice.
  int Open(DeviceAccess access) override;
  int GetDiskGeometry(FloppyGeometry& disk) override;
  int SetMediaType(const FloppyGeometry&) override { return 0; }
  // FloppyFormatTrack: one attempt; -2 when the side carries recreated bad sectors.
  int FormatTrack(int track, int head, const FloppyGeometry& image, const std::vector<uint32_t>& badFlags) override;
  // FloppyRead, FloppyWrite, FloppyVerify.
  int Read(void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int count) override;
  int Write(const void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int count) override;
  int Verify(uint32_t bytes, int64_t startSector, int count) override;
  void MovePointer(int32_t distance) override;
  int Close() override;
  VolumeSpace QueryVolumeSpace() override;

  static constexpr int kGeometryAttempts = 5;

 private:
  INtSyscalls& os_;
  DeviceContext context_;
  std::string node_;
  NtHandle handle_ = kInvalidNtHandle;
};

// Real drives or virtual floppies, whichever syscalls it is given. Its devices use its syscalls: they must
// not outlive it.
class NtFloppyDeviceFactory final : public IFloppyDeviceFactory {
 public:
  explicit NtFloppyDeviceFactory(std::unique_ptr<INtSyscalls> os) : os_(std::move(os)) {}
  std::unique_ptr<IFloppyDevice> Create(const DeviceContext& context) override {
    return std::make_unique<NtFloppyDevice>(*os_, context);
  }

 private:
  std::unique_ptr<INtSyscalls> os_;
};
