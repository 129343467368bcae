#pragma once
// Test data for the flux decoder: the flux a reader would capture from a disk written with an image, with a
// spindle off speed, jittering reversals and spoilt spots, revolution after revolution.

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "base/Geometry.h"
#include "flux/FluxTrack.h"
#include "support/MfmTrackEncoder.h"

enum class Damage {
  Noise,    // reversals at random (a scratch, a weak spot read differently every time)
  Dropout,  // no reversal at all (the coating gone)
};

// A spot of one sector's field spoilt in one revolution (or all).
struct Spoil {
  int cylinder = 0, head = 0, sector = 1;
  int revolution = -1;  // -1: every revolution
  bool idField = false;  // the ID field, else the data field
  double from = 0.3, to = 0.4;  // the share of the field
  Damage damage = Damage::Noise;
};

struct CaptureRecipe {
  FloppyGeometry geometry;
  double cellNs = 2000;  // as the disk was written: 2000 double density, 1000 high density
  double rpm = 300;      // of the drive that wrote it
  double speed = 1.0;    // the capturing drive's spindle against the writer's: 1.05 turns 5 % faster
  double jitter = 0;     // standard deviation of each reversal's time, in cells
  double wow = 0;        // the spindle's speed swinging by this share once a revolution
  int revolutions = 3;
  bool doubleStep = false;  // an 80-track drive over a 40-track disk: every other cylinder, noise between
  std::vector<int> cylinders;       // the only cylinders captured (as the drive counts them); empty: all
  std::vector<TrackPlace> missing;  // tracks the capture leaves out
  std::vector<Spoil> spoils;
  uint32_t seed = 1;
};

// The flux of one written track as the capturing drive reads it.
TrackFlux SynthesiseTrack(const EncodedTrack& track, const CaptureRecipe& recipe, int cylinder, int head,
                          std::mt19937& random);

// The tracks a capture of recipe holds, in disk order, and the flux of one of them (the same on every call).
std::vector<TrackPlace> CapturePlaces(const CaptureRecipe& recipe);
TrackFlux SynthesisePlace(const std::vector<uint8_t>& image, const CaptureRecipe& recipe, const TrackPlace& place);

// Every track of the capture, in disk order, handed to sink one at a time (a capture of a whole disk is too
// large to hold).
void SynthesiseCapture(const std::vector<uint8_t>& image, const CaptureRecipe& recipe,
                       const std::function<void(const TrackPlace&, const TrackFlux&)>& sink);

// The image of a disk with a pattern in every sector: its number and varied bytes, so that a sector put in
// another's place shows.
std::vector<uint8_t> PatternImage(const FloppyGeometry& geometry, uint32_t variant = 1);
