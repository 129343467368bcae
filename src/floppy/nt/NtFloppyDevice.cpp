#include "floppy/nt/NtFloppyDevice.h"

#include <new>

#include "base/Texts.h"
#include "base/Win32Codes.h"
#include "floppy/DeviceHandle.h"
#include "floppy/nt/NtFormatRequest.h"
#include "floppy/nt/NtRecords.h"

int NtFloppyDevice::Open(DeviceAccess access) {
  Close();
  const std::string& letter = context_.settings.m_fdLetter;
  if (access == DeviceAccess::Read) {
    handle_ = os_.CreateFileW("\\\\.\\" + letter, kGenericRead, kFileShareRead, kOpenExisting, 0);
  } else {
    handle_ = os_.CreateFileW("\\\\.\\" + letter, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite,
                              kOpenExisting, 0);
  }
  if (handle_ != kInvalidNtHandle) return 0;
  ShowError(context_.boxes, kTextCannotOpen, {node_.empty() ? letter : letter + " (" + node_ + ")"});
  return -1;
}

int NtFloppyDevice::GetDiskGeometry(FloppyGeometry& disk) {
  uint32_t error = 0;
  for (int attempt = 0; attempt < kGeometryAttempts; ++attempt) {
    std::array<uint8_t, kDiskGeometryBytes> reply{};
    uint32_t returned = 0;
    if (os_.DeviceIoControl(handle_, kIoctlDiskGetDriveGeometry, nullptr, 0, reply.data(), kDiskGeometryBytes,
                            &returned)) {
      NtDiskGeometry geometry = DecodeDiskGeometry(reply.data());
      FloppyGeometry reported{static_cast<int32_t>(static_cast<uint32_t>(geometry.cylinders)),
                              static_cast<int32_t>(geometry.sectorsPerTrack)};
      if (PlausibleGeometry(reported)) {
        disk = reported;
        return 0;
      }
      error = kErrorUnrecognizedMedia;
      break;
    }
    error = os_.GetLastError();
  }
  if (error == kErrorNotReady) {
    ShowError(context_.boxes, kTextNoDisk);
  } else {
    ShowError(context_.boxes, kTextCannotDetectDisk, {error});
  }
  return -1;
}

int NtFloppyDevice::FormatTrack(int track, int head, const FloppyGeometry& image,
                                const std::vector<uint32_t>& badFlags) {
  NtFormatRequest request = BuildNtFormatRequest(track, head, image, badFlags);
  uint32_t returned = 0;
  if (os_.DeviceIoControl(handle_, request.controlCode, request.bytes.data(),
                          static_cast<uint32_t>(request.bytes.size()), nullptr, 0, &returned)) {
    return request.recreatesBad ? -2 : 0;
  }
  uint32_t error = os_.GetLastError();
  // Drivers that format only with the plain request (USB drives) do not know the extended one at all.
  if (error == kErrorInvalidFunction && request.controlCode == kIoctlDiskFormatTracksEx) error = kErrorNotSupported;
  switch (error) {
    case kErrorWriteProtect: ShowError(context_.boxes, kTextWriteProtected); break;
    case kErrorNotReady: ShowError(context_.boxes, kTextNoDisk); break;
    case kErrorNotSupported: ShowError(context_.boxes, kTextCommandNotSupported); break;
    default: ShowError(context_.boxes, kTextCannotFormatTrack, {track, head, error}); break;
  }
  return -1;
}

int NtFloppyDevice::Read(void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int) {
  transferred = 0;
  if (os_.ReadFile(handle_, buffer, bytes, &transferred)) return 0;
  return FailRead(context_, startSector, os_.GetLastError());
}

int NtFloppyDevice::Write(const void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int) {
  transferred = 0;
  if (os_.WriteFile(handle_, buffer, bytes, &transferred)) return 0;
  uint32_t error = os_.GetLastError();
  return FailWrite(context_, startSector, error, error == kErrorWriteProtect);
}

int NtFloppyDevice::Verify(uint32_t bytes, int64_t startSector, int count) {
  uint32_t error = 0;
  try {
    std::vector<uint8_t> scratch(bytes);
    uint32_t read = 0;
    if (os_.ReadFile(handle_, scratch.data(), bytes, &read)) return 0;
    error = os_.GetLastError();
  } catch (const std::bad_alloc&) {
    error = kErrorNotEnoughMemory;
  }
  return FailVerify(context_, startSector, count, error);
}

void NtFloppyDevice::MovePointer(int32_t distance) { os_.SetFilePointer(handle_, distance, nullptr, kFileCurrent); }

int NtFloppyDevice::Close() { return CloseDeviceHandle(os_, handle_, context_.boxes); }

VolumeSpace NtFloppyDevice::QueryVolumeSpace() {
  uint64_t freeToCaller = 0, total = 0, totalFree = 0;
  if (!os_.GetDiskFreeSpaceExW(context_.settings.m_fdLetter, &freeToCaller, &total, &totalFree)) return {};
  // The image record keeps 32-bit sizes: the low halves.
  auto low = [](uint64_t bytes) { return static_cast<int32_t>(static_cast<uint32_t>(bytes)); };
  return {true, low(total), low(totalFree)};
}
