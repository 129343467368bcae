#include "support/FluxSynthesis.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTurn = 6.283185307179586;

double Uniform(std::mt19937& random) { return (static_cast<double>(random()) + 0.5) / 4294967296.0; }

double Gaussian(std::mt19937& random) {
  return std::sqrt(-2 * std::log(Uniform(random))) * std::cos(kTurn * Uniform(random));
}

bool Hits(const Spoil& spoil, int cylinder, int head, int revolution) {
  return spoil.cylinder == cylinder && spoil.head == head && (spoil.revolution < 0 || spoil.revolution == revolution);
}

}  // namespace

TrackFlux SynthesiseTrack(const EncodedTrack& track, const CaptureRecipe& recipe, int cylinder, int head,
                          std::mt19937& random) {
  const std::size_t cells = track.cells.size();
  const double cellRead = recipe.cellNs / recipe.speed;
  std::vector<double> times;
  for (int revolution = 0; revolution < recipe.revolutions; ++revolution) {
    const double start = static_cast<double>(revolution) * static_cast<double>(cells);
    std::vector<std::pair<std::size_t, std::size_t>> windows;
    std::vector<Damage> damages;
    for (const Spoil& spoil : recipe.spoils) {
      if (!Hits(spoil, cylinder, head, revolution)) continue;
      const FieldCells& field = (spoil.idField ? track.ids : track.data)[static_cast<std::size_t>(spoil.sector - 1)];
      const double length = static_cast<double>(field.to - field.from);
      windows.emplace_back(field.from + static_cast<std::size_t>(length * spoil.from),
                           field.from + static_cast<std::size_t>(length * spoil.to));
      damages.push_back(spoil.damage);
    }
    for (std::size_t cell = 0; cell < cells; ++cell) {
      bool spoilt = false;
      for (const auto& [from, to] : windows) spoilt = spoilt || (cell >= from && cell < to);
      if (spoilt || !track.cells[cell]) continue;
      const double written = static_cast<double>(cell) + 0.5;
      const double swing = recipe.wow * static_cast<double>(cells) / kTurn * (1 - std::cos(kTurn * written / static_cast<double>(cells)));
      times.push_back((start + written + swing + recipe.jitter * Gaussian(random)) * cellRead);
    }
    for (std::size_t w = 0; w < windows.size(); ++w) {
      if (damages[w] != Damage::Noise) continue;
      const double width = static_cast<double>(windows[w].second - windows[w].first);
      for (int i = 0; i < static_cast<int>(width / 2.5); ++i) {
        times.push_back((start + static_cast<double>(windows[w].first) + width * Uniform(random)) * cellRead);
      }
    }
  }
  std::sort(times.begin(), times.end());
  TrackFlux flux;
  double last = 0;
  std::size_t revolution = 0;
  const double revolutionNs = static_cast<double>(cells) * cellRead;
  for (double time : times) {
    while (revolution < static_cast<std::size_t>(recipe.revolutions) && time >= static_cast<double>(revolution) * revolutionNs) {
      flux.indexes.push_back(flux.intervals.size());
      ++revolution;
    }
    const double interval = std::round(time - last);
    if (interval < 1) continue;
    flux.intervals.push_back(static_cast<uint32_t>(interval));
    last = time;
  }
  while (revolution++ <= static_cast<std::size_t>(recipe.revolutions)) flux.indexes.push_back(flux.intervals.size());
  return flux;
}

std::vector<TrackPlace> CapturePlaces(const CaptureRecipe& recipe) {
  std::vector<TrackPlace> places;
  const int step = recipe.doubleStep ? 2 : 1;
  for (int cylinder = 0; cylinder < recipe.geometry.tracks * step; ++cylinder) {
    const auto& only = recipe.cylinders;
    if (!only.empty() && std::find(only.begin(), only.end(), cylinder) == only.end()) continue;
    for (int head = 0; head < kHeads; ++head) {
      const TrackPlace place{cylinder, head};
      if (std::find(recipe.missing.begin(), recipe.missing.end(), place) == recipe.missing.end()) places.push_back(place);
    }
  }
  return places;
}

TrackFlux SynthesisePlace(const std::vector<uint8_t>& image, const CaptureRecipe& recipe, const TrackPlace& place) {
  std::mt19937 random(recipe.seed * 1000 + static_cast<uint32_t>(place.cylinder * 2 + place.head));
  const auto cells = static_cast<std::size_t>(60e9 / recipe.rpm / recipe.cellNs);
  const int step = recipe.doubleStep ? 2 : 1;
  if (place.cylinder % step != 0) {
    // Between two tracks of the disk the head reads noise.
    TrackFlux noise;
    noise.indexes.push_back(0);
    for (int revolution = 0; revolution < recipe.revolutions; ++revolution) {
      for (std::size_t cell = 0; cell < cells; cell += 3) {
        noise.intervals.push_back(static_cast<uint32_t>(recipe.cellNs * (1 + 5 * Uniform(random))));
      }
      noise.indexes.push_back(noise.intervals.size());
    }
    return noise;
  }
  EncodedTrack track = EncodeMfmTrack(recipe.geometry, place.cylinder / step, place.head, image, cells);
  return SynthesiseTrack(track, recipe, place.cylinder / step, place.head, random);
}

void SynthesiseCapture(const std::vector<uint8_t>& image, const CaptureRecipe& recipe,
                       const std::function<void(const TrackPlace&, const TrackFlux&)>& sink) {
  for (const TrackPlace& place : CapturePlaces(recipe)) sink(place, SynthesisePlace(image, recipe, place));
}

std::vector<uint8_t> PatternImage(const FloppyGeometry& geometry, uint32_t variant) {
  std::vector<uint8_t> image(static_cast<std::size_t>(geometry.TotalBytes()));
  uint32_t state = variant * 2654435761u + 1;
  for (std::size_t i = 0; i < image.size(); ++i) {
    state = state * 1103515245u + 12345u;
    const std::size_t sector = i / kSectorBytes;
    image[i] = i % kSectorBytes < 4 ? static_cast<uint8_t>(sector >> (8 * (i % 4))) : static_cast<uint8_t>(state >> 16);
  }
  return image;
}
