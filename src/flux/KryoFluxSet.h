#pragma once
// A KryoFlux capture: one stream file per track, named <prefix><cylinder>.<head>.raw (track00.0.raw,
// track00.1.raw, ...). Any file of the set names the whole set; the others are found beside it by name.

#include <optional>
#include <string>

#include "flux/Capture.h"

// The stream file of a track of the set that path belongs to (path itself names the prefix), or nullopt when
// path is not named as a file of a set.
std::optional<std::string> KryoFluxTrackPath(const std::string& path, const TrackPlace& place);

// A file whose name is not a set's holds one track: its place is unknown, and the sectors' IDs say it.
CaptureOpening OpenKryoFluxSet(const std::string& path);
