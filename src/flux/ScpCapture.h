#pragma once
// SuperCard Pro .scp files (the SuperCard Pro image specification, also written by Greaseweazle and others):
// a header, a table of track offsets, and per track a table of revolutions, each a run of 16-bit flux times
// in ticks of 25 ns times the header's resolution.

#include <cstdint>
#include <span>
#include <string>

#include "flux/Capture.h"

bool StartsLikeScp(std::span<const uint8_t> head);

CaptureOpening OpenScpCapture(const std::string& path);
