#include "flux/KryoFluxSet.h"

#include "base/File.h"
#include "base/Strings.h"
#include "flux/KryoFluxStream.h"

namespace {

// The device steps to cylinder 83 at most.
constexpr int kMostCylinders = 84;
// A stream of many revolutions of a high-density track is a few megabytes.
constexpr uint64_t kLargestStreamBytes = 64u << 20;

bool Digit(char c) { return c >= '0' && c <= '9'; }

// The length of "NN.H.raw" at the end of path, 0 when the name does not end so.
std::size_t TrackSuffixLength(const std::string& path) {
  constexpr std::string_view kRaw = ".raw";
  if (!EndsWithIgnoringCase(path, kRaw) || path.size() < 8) return 0;
  const std::size_t head = path.size() - kRaw.size() - 1;
  if ((path[head] != '0' && path[head] != '1') || path[head - 1] != '.') return 0;
  return Digit(path[head - 2]) && Digit(path[head - 3]) ? 8 : 0;
}

class KryoFluxSet final : public Capture {
 public:
  KryoFluxSet(std::vector<std::string> paths, std::vector<TrackPlace> places)
      : paths_(std::move(paths)), places_(std::move(places)) {}

  const std::vector<TrackPlace>& Places() const override { return places_; }

  TrackFault Load(const TrackPlace& place, TrackFlux& flux) override {
    flux.Clear();
    for (std::size_t i = 0; i < places_.size(); ++i) {
      if (places_[i] == place) return LoadFile(paths_[i], flux);
    }
    return TrackFault::Missing;
  }

 private:
  static TrackFault LoadFile(const std::string& path, TrackFlux& flux) {
    File file = File::Open(path, FileMode::Read);
    std::optional<uint64_t> size = file ? file.Size() : std::nullopt;
    if (!size) return TrackFault::Unreadable;
    if (*size > kLargestStreamBytes) return TrackFault::Damaged;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(*size));
    if (file.Read(bytes.data(), bytes.size()) != bytes.size()) return TrackFault::Unreadable;
    return ParseKryoFluxStream(bytes, flux);
  }

  std::vector<std::string> paths_;
  std::vector<TrackPlace> places_;
};

}  // namespace

std::optional<std::string> KryoFluxTrackPath(const std::string& path, const TrackPlace& place) {
  const std::size_t suffix = TrackSuffixLength(path);
  if (suffix == 0 || place.cylinder < 0 || place.cylinder >= 100 || place.head < 0 || place.head > 1) {
    return std::nullopt;
  }
  std::string name = path.substr(0, path.size() - suffix);
  name += static_cast<char>('0' + place.cylinder / 10);
  name += static_cast<char>('0' + place.cylinder % 10);
  name += '.';
  name += static_cast<char>('0' + place.head);
  return name + path.substr(path.size() - 4);  // the extension as the given file spells it
}

CaptureOpening OpenKryoFluxSet(const std::string& path) {
  File given = File::Open(path, FileMode::Read);
  if (!given) return {nullptr, CaptureFault::CannotOpen};
  uint8_t head[4] = {};
  if (!StartsLikeKryoFluxStream({head, given.Read(head, sizeof head)})) return {nullptr, CaptureFault::NotCapture};
  std::vector<std::string> paths;
  std::vector<TrackPlace> places;
  if (TrackSuffixLength(path) == 0) {
    paths.push_back(path);
    places.push_back({0, 0});
  } else {
    for (int cylinder = 0; cylinder < kMostCylinders; ++cylinder) {
      for (int side = 0; side < 2; ++side) {
        std::optional<std::string> track = KryoFluxTrackPath(path, {cylinder, side});
        if (track && UseOfName(*track) == NameUse::RegularFile) {
          paths.push_back(*track);
          places.push_back({cylinder, side});
        }
      }
    }
  }
  if (places.empty()) return {nullptr, CaptureFault::NoTracks};
  return {std::make_unique<KryoFluxSet>(std::move(paths), std::move(places)), CaptureFault::None};
}
