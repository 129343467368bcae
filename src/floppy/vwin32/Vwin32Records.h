#pragma once
// The records of the Windows 9x device path as they cross the VWIN32 device, little-endian as the system
// lays them out: the register packet (DIOC_REGISTERS), the device-parameter block of DOS IOCTL 440Dh minor
// 60h, the disk I/O block of DOS function 7305h and the BIOS format address list. The device builds
// requests with these and the simulated VWIN32 reads them back.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/Geometry.h"

inline constexpr char kVwin32Path[] = "\\\\.\\vwin32";

// VWIN32 control codes.
inline constexpr uint32_t kVwin32DosIoctl = 1;     // int 21h function 440Dh
inline constexpr uint32_t kVwin32Int13 = 4;        // BIOS disk service
inline constexpr uint32_t kVwin32DriveInfo = 6;    // int 21h function 7305h (absolute read/write)

inline constexpr uint32_t kCarryFlag = 1;

struct DiocRegisters {
  uint32_t ebx = 0;
  uint32_t edx = 0;
  uint32_t ecx = 0;
  uint32_t eax = 0;
  uint32_t edi = 0;
  uint32_t esi = 0;
  uint32_t flags = kCarryFlag;  // set until the system clears it: a request not carried out reads as failed

  uint16_t Ax() const { return static_cast<uint16_t>(eax); }
  bool operator==(const DiocRegisters&) const = default;
};
inline constexpr uint32_t kDiocRegistersBytes = 28;

std::array<uint8_t, kDiocRegistersBytes> EncodeRegisters(const DiocRegisters& registers);
DiocRegisters DecodeRegisters(const uint8_t* bytes);  // kDiocRegistersBytes bytes

// The device-parameter block: the fields the path reads of the BIOS parameter block it carries.
inline constexpr uint32_t kDeviceParametersBytes = 38;
inline constexpr std::size_t kParamsSpecialFunctions = 0;
inline constexpr std::size_t kParamsDeviceType = 1;
inline constexpr std::size_t kParamsCylinders = 4;
inline constexpr std::size_t kParamsBpb = 7;  // the boot sector's parameter block from its byte 11 on
inline constexpr std::size_t kBpbBytes = 25;
inline constexpr std::size_t kParamsTotalSectors = 15;
inline constexpr std::size_t kParamsSectorsPerTrack = 20;
inline constexpr std::size_t kParamsHeads = 22;
inline constexpr std::size_t kBootSectorBpb = 11;

// tracks = total sectors / sectors per track / heads, or nullopt when a field is 0 (no division by zero).
std::optional<FloppyGeometry> GeometryOfDeviceParameters(const uint8_t* block);  // kDeviceParametersBytes bytes

// Start sector (32-bit), count (16-bit), buffer address (32-bit), packed.
struct DiskIoBlock {
  uint32_t startSector = 0;
  uint16_t count = 0;
  uint32_t buffer = 0;
};
inline constexpr uint32_t kDiskIoBlockBytes = 10;
std::array<uint8_t, kDiskIoBlockBytes> EncodeDiskIoBlock(const DiskIoBlock& block);
DiskIoBlock DecodeDiskIoBlock(const uint8_t* bytes);

// Cylinder, head, sector number, size code 2 (512 bytes) for each sector of a side, in track order.
std::vector<uint8_t> BuildFormatAddressList(int track, int head, int sectorsPerTrack);

// The BIOS status codes in AH that the path tells apart.
inline constexpr uint16_t kBiosInvalidCommand = 0x0100;
inline constexpr uint16_t kBiosWriteProtected = 0x0300;
inline constexpr uint16_t kBiosSectorNotFound = 0x0400;
inline constexpr uint16_t kBiosMediaTypeNotFound = 0x0C00;
inline constexpr uint16_t kBiosCrcError = 0x1000;
inline constexpr uint16_t kBiosTimeout = 0x8000;  // no disk in the drive
// DOS: the error code 440Dh reports for a drive without a disk.
inline constexpr uint16_t kDosNoDisk = 5;
