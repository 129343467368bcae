#pragma once
// The messages for WinInet's error codes (12001 to 12036) that the feedback form shows when a step of its
// request fails.

#include <cstdint>

// The message for a WinInet error code; `fallback` (the failed step's own text) for every other code.
const char* WinInetErrorText(uint32_t code, const char* fallback);
