#include "flux/ScpCapture.h"

#include <algorithm>

#include "base/File.h"
#include "base/LittleEndian.h"

namespace {

constexpr std::size_t kHeaderBytes = 16;
constexpr int kTableEntries = 168;          // cylinders 0..83, both heads: track = cylinder * 2 + head
constexpr uint64_t kTableAt = 0x10;
constexpr uint64_t kExtendedTableAt = 0x80;  // behind the extension block when flag bit 6 says there is one
constexpr uint8_t kFlagExtended = 0x40;
constexpr uint64_t kTickNs = 25;
constexpr uint64_t kOverflowTicks = 0x10000;

class ScpCapture final : public Capture {
 public:
  ScpCapture(File file, uint64_t size, std::vector<uint32_t> offsets, int revolutions, uint64_t tickNs)
      : file_(std::move(file)), size_(size), offsets_(std::move(offsets)), revolutions_(revolutions), tickNs_(tickNs) {
    for (int track = 0; track < static_cast<int>(offsets_.size()); ++track) {
      if (offsets_[static_cast<std::size_t>(track)] != 0) places_.push_back({track / 2, track % 2});
    }
  }

  const std::vector<TrackPlace>& Places() const override { return places_; }

  TrackFault Load(const TrackPlace& place, TrackFlux& flux) override {
    flux.Clear();
    TrackFault fault = Read(place, flux);
    if (fault != TrackFault::None) flux.Clear();
    return fault;
  }

 private:
  // Reads bytes at an offset; Cut when the file ends first.
  TrackFault ReadAt(uint64_t offset, std::size_t bytes, std::vector<uint8_t>& into) {
    if (offset > size_ || bytes > size_ - offset) return TrackFault::Cut;
    into.resize(bytes);
    if (!file_.Seek(static_cast<int64_t>(offset), SEEK_SET) || file_.Read(into.data(), bytes) != bytes) {
      return TrackFault::Unreadable;
    }
    return TrackFault::None;
  }

  TrackFault Read(const TrackPlace& place, TrackFlux& flux) {
    const int track = place.cylinder * 2 + place.head;
    if (place.head < 0 || place.head > 1 || track < 0 || track >= static_cast<int>(offsets_.size()) ||
        offsets_[static_cast<std::size_t>(track)] == 0) {
      return TrackFault::Missing;
    }
    const uint64_t start = offsets_[static_cast<std::size_t>(track)];
    std::vector<uint8_t> header;
    if (TrackFault fault = ReadAt(start, 4 + 12 * static_cast<std::size_t>(revolutions_), header); fault != TrackFault::None) {
      return fault;
    }
    if (header[0] != 'T' || header[1] != 'R' || header[2] != 'K' || header[3] != track) return TrackFault::Damaged;
    std::vector<uint8_t> data;
    for (int revolution = 0; revolution < revolutions_; ++revolution) {
      const uint8_t* entry = header.data() + 4 + 12 * revolution;
      const uint64_t count = GetLe32(entry + 4);
      const uint64_t at = start + GetLe32(entry + 8);
      if (count > kMostTrackIntervals - flux.intervals.size()) return TrackFault::Damaged;
      if (TrackFault fault = ReadAt(at, static_cast<std::size_t>(count) * 2, data); fault != TrackFault::None) {
        return fault;
      }
      flux.indexes.push_back(flux.intervals.size());
      uint64_t ticks = 0;
      for (std::size_t i = 0; i < data.size(); i += 2) {
        const unsigned value = static_cast<unsigned>(data[i]) << 8 | data[i + 1];
        // A zero is a counter overflow: the time runs on into the next value.
        ticks += value == 0 ? kOverflowTicks : value;
        if (value == 0) continue;
        flux.intervals.push_back(static_cast<uint32_t>(std::min<uint64_t>(ticks * tickNs_, UINT32_MAX)));
        ticks = 0;
      }
    }
    flux.indexes.push_back(flux.intervals.size());
    return flux.intervals.empty() ? TrackFault::NoFlux : TrackFault::None;
  }

  File file_;
  uint64_t size_;
  std::vector<uint32_t> offsets_;
  int revolutions_;
  uint64_t tickNs_;
  std::vector<TrackPlace> places_;
};

}  // namespace

bool StartsLikeScp(std::span<const uint8_t> head) {
  return head.size() >= 3 && head[0] == 'S' && head[1] == 'C' && head[2] == 'P';
}

CaptureOpening OpenScpCapture(const std::string& path) {
  File file = File::Open(path, FileMode::Read);
  std::optional<uint64_t> size = file ? file.Size() : std::nullopt;
  if (!size) return {nullptr, CaptureFault::CannotOpen};
  uint8_t header[kHeaderBytes];
  const std::size_t got = file.Read(header, sizeof header);
  if (!StartsLikeScp({header, got})) return {nullptr, got < 3 && *size >= 3 ? CaptureFault::CannotOpen : CaptureFault::NotCapture};
  if (got < kHeaderBytes) return {nullptr, CaptureFault::Cut};
  const int revolutions = header[5];
  const int startTrack = header[6];
  const int endTrack = header[7];
  const uint8_t cellBits = header[9];
  // Flux times are 16-bit (0 says the same); no writer uses another width.
  if (revolutions == 0 || startTrack > endTrack || endTrack >= kTableEntries || (cellBits != 0 && cellBits != 16)) {
    return {nullptr, CaptureFault::BadHeader};
  }
  const uint64_t tableAt = (header[8] & kFlagExtended) ? kExtendedTableAt : kTableAt;
  const std::size_t tableBytes = 4 * static_cast<std::size_t>(endTrack + 1);
  if (*size < tableAt + tableBytes) return {nullptr, CaptureFault::Cut};
  std::vector<uint8_t> table(tableBytes);
  if (!file.Seek(static_cast<int64_t>(tableAt), SEEK_SET) || file.Read(table.data(), table.size()) != table.size()) {
    return {nullptr, CaptureFault::CannotOpen};
  }
  std::vector<uint32_t> offsets(static_cast<std::size_t>(endTrack + 1), 0);
  bool any = false;
  for (int track = startTrack; track <= endTrack; ++track) {
    offsets[static_cast<std::size_t>(track)] = GetLe32(table.data() + 4 * track);
    any = any || offsets[static_cast<std::size_t>(track)] != 0;
  }
  if (!any) return {nullptr, CaptureFault::NoTracks};
  const uint64_t tickNs = kTickNs * (uint64_t{header[11]} + 1);
  return {std::make_unique<ScpCapture>(std::move(file), *size, std::move(offsets), revolutions, tickNs), CaptureFault::None};
}
