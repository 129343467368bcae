#pragma once
// A capture made up on demand, track by track, from an image and a recipe: the decoder's input without a
// file, as large as any disk and in no memory.

#include <vector>

#include "flux/Capture.h"
#include "support/FluxSynthesis.h"

class SynthesisedCapture final : public Capture {
 public:
  SynthesisedCapture(std::vector<uint8_t> image, CaptureRecipe recipe)
      : image_(std::move(image)), recipe_(std::move(recipe)), places_(CapturePlaces(recipe_)) {}
  const std::vector<TrackPlace>& Places() const override { return places_; }
  TrackFault Load(const TrackPlace& place, TrackFlux& flux) override {
    flux = SynthesisePlace(image_, recipe_, place);
    return TrackFault::None;
  }

 private:
  std::vector<uint8_t> image_;
  CaptureRecipe recipe_;
  std::vector<TrackPlace> places_;
};
