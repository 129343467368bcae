#pragma once
// One KryoFlux stream file (the KryoFlux stream protocol): the flux of one track as the device sent it,
// flux times in sample clock ticks mixed with out-of-band blocks that say where the index pulses fell, how
// far the stream had come, and whether the device kept up.

#include <cstdint>
#include <span>

#include "flux/Capture.h"

// A stream file begins with an out-of-band block: the device's information or the stream's first position.
bool StartsLikeKryoFluxStream(std::span<const uint8_t> head);

// The flux of the stream in bytes; flux is left empty unless the result is None.
TrackFault ParseKryoFluxStream(std::span<const uint8_t> bytes, TrackFlux& flux);
