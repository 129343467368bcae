#pragma once
// What decoding a flux capture saw, in words for the report and the terminal: a line per track as it is
// done, then the sectors voted back and those whose good copies differ.

#include <string>
#include <vector>

#include "flux/CaptureDecoder.h"

std::string TrackLine(const TrackOutcome& outcome);

// The heading, every track's line and what the vote and the conflicts gave.
std::vector<std::string> CaptureAccount(const DecodedDisk& disk);
