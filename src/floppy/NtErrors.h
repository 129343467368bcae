#pragma once
// Win32 error codes of the floppy seam beyond those in base/Win32Codes.h.

#include <cstdint>

inline constexpr uint32_t kErrorInvalidFunction = 1;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
inline constexpr uint32_t kErrorNegativeSeek = 131;
inline constexpr uint32_t kErrorUnrecognizedVolume = 1005;
inline constexpr uint32_t kErrorFileCorrupt = 1392;
inline constexpr uint32_t kErrorUnrecognizedMedia = 1785;
