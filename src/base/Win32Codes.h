#pragma once
// Windows result codes and constants that cross the platform seams. The portable core speaks in these
// values (the user sees them as "0x%04X"), so it names them itself instead of including a Windows header.

#include <cstdint>

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorInvalidFunction = 1;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorPathNotFound = 3;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorNotEnoughMemory = 8;
inline constexpr long kErrorWriteProtect = 19;
inline constexpr long kErrorNotReady = 21;
inline constexpr long kErrorCrc = 23;
inline constexpr long kErrorSectorNotFound = 27;
inline constexpr long kErrorWriteFault = 29;
inline constexpr long kErrorReadFault = 30;
inline constexpr long kErrorGenFailure = 31;
inline constexpr long kErrorSharingViolation = 32;
inline constexpr long kErrorNotSupported = 50;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorDiskFull = 112;
inline constexpr long kErrorInsufficientBuffer = 122;
inline constexpr long kErrorNegativeSeek = 131;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorUnrecognizedVolume = 1005;
inline constexpr long kErrorBadKey = 1010;
inline constexpr long kErrorCantOpenRegistryKey = 1011;
inline constexpr long kErrorRegistryIoFailed = 1016;
inline constexpr long kErrorKeyDeleted = 1018;
inline constexpr long kErrorFloppyIdMarkNotFound = 1122;
inline constexpr long kErrorFloppyWrongCylinder = 1123;
inline constexpr long kErrorFloppyUnknownError = 1124;
inline constexpr long kErrorFileCorrupt = 1392;
inline constexpr long kErrorUnrecognizedMedia = 1785;
