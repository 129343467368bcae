#pragma once
// The device operations of Windows 9x: DOS and BIOS services carried out by the VWIN32 device. Every
// request names its sectors, so there is no position to move; bad sectors are not recreated.

#include "floppy/FloppyDevice.h"
#include "floppy/vwin32/Vwin32Syscalls.h"

class Vwin32FloppyDevice final : public IFloppyDevice {
 public:
  Vwin32FloppyDevice(IVwin32Syscalls& os, const DeviceContext& context) : os_(os), context_(context) {}
  ~Vwin32FloppyDevice() override { Close(); }
  Vwin32FloppyDevice(const Vwin32FloppyDevice&) = delete;
  Vwin32FloppyDevice& operator=(const Vwin32FloppyDevice&) = delete;

  int Open(DeviceAccess access) override;
  // DOS IOCTL 440Dh minor 60h: the parameter block of the disk's boot sector.
  int GetDiskGeometry(FloppyGeometry& disk) override;
  // BIOS function 18h with the format table's CH:CL.
  int SetMediaType(const FloppyGeometry& image) override;
  // BIOS function 05h, up to 6 requests; never -2.
  int FormatTrack(int track, int head, const FloppyGeometry& image, const std::vector<uint32_t>& badFlags) override;
  // DOS function 7305h.
  int Read(void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int count) override;
  int Write(const void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int count) override;
  // BIOS function 04h.
  int Verify(uint32_t bytes, int64_t startSector, int count) override;
  void MovePointer(int32_t) override {}
  int Close() override;
  VolumeSpace QueryVolumeSpace() override { return {}; }

  static constexpr int kGeometryAttempts = 5;
  static constexpr int kFormatAttempts = 6;

 private:
  // One request with a fresh packet (carry set): true when delivered and carry came back clear.
  bool Request(uint32_t code, DiocRegisters& registers, bool* delivered = nullptr);
  bool Transfer(uint8_t* buffer, int64_t startSector, int count, bool write, uint16_t& ax);
  uint32_t BiosDrive() const;
  uint32_t DosDrive() const { return BiosDrive() + 1; }

  IVwin32Syscalls& os_;
  DeviceContext context_;
  NtHandle handle_ = kInvalidNtHandle;
};

class Vwin32FloppyDeviceFactory final : public IFloppyDeviceFactory {
 public:
  explicit Vwin32FloppyDeviceFactory(std::unique_ptr<IVwin32Syscalls> os) : os_(std::move(os)) {}
  std::unique_ptr<IFloppyDevice> Create(const DeviceContext& context) override {
    return std::make_unique<Vwin32FloppyDevice>(*os_, context);
  }

 private:
  std::unique_ptr<IVwin32Syscalls> os_;
};
