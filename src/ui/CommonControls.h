#pragma once
// The version of the common controls library this process uses: (major << 16) | minor, e.g. 0x60000 for
// 6.0 (the manifest's), 0x50050 for 5.80; 0 when the library or its DllGetVersion is missing or fails.

#include <cstdint>

uint32_t GetCommonControlsVersion();

inline constexpr uint32_t kCommonControls6 = 0x60000;
