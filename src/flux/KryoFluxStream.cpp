#include "flux/KryoFluxStream.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "base/LittleEndian.h"

namespace {

constexpr uint8_t kNop1 = 0x08, kNop2 = 0x09, kNop3 = 0x0A, kOverflow = 0x0B, kFlux3 = 0x0C, kOutOfBand = 0x0D;
constexpr uint8_t kStreamInfo = 0x01, kIndex = 0x02, kStreamEnd = 0x03, kDeviceInfo = 0x04, kEndOfFile = 0x0D;
constexpr uint32_t kEndOk = 0, kEndNoIndex = 2;
// The sample clock of every device so far; the device's information block may name another.
constexpr double kDefaultSampleHz = 24027428.5714285;

// "sck=24027428.5714285" among the comma-separated pairs of a device information block.
void TakeSampleClock(std::string_view text, double& sampleHz) {
  for (std::size_t at = text.find("sck="); at != std::string_view::npos; at = text.find("sck=", at + 1)) {
    if (at != 0 && text[at - 1] != ' ' && text[at - 1] != ',') continue;
    double value = 0, scale = 0;
    for (char c : text.substr(at + 4)) {
      if (c >= '0' && c <= '9') {
        value = scale == 0 ? value * 10 + (c - '0') : value + (c - '0') * (scale /= 10);
      } else if (c == '.' && scale == 0) {
        scale = 1;
      } else {
        break;
      }
    }
    // Only a clock a sampler can have: any other value is a damaged block, and the default stands.
    if (value >= 1e6 && value <= 1e9) sampleHz = value;
  }
}

struct Parsed {
  std::vector<uint64_t> ticks;          // per flux reversal
  std::vector<uint32_t> ends;           // the stream position just after each reversal's blocks
  std::vector<uint32_t> indexPositions;  // the stream position of the reversal that followed each index pulse
  double sampleHz = kDefaultSampleHz;
  bool ended = false;
};

TrackFault Parse(std::span<const uint8_t> bytes, Parsed& out) {
  std::size_t at = 0;
  uint32_t position = 0;  // in the device's stream: the bytes of everything but out-of-band blocks
  uint64_t overflow = 0;
  auto flux = [&](uint64_t value, std::size_t length) {
    position += static_cast<uint32_t>(length);
    out.ticks.push_back(overflow + value);
    out.ends.push_back(position);
    overflow = 0;
    at += length;
  };
  while (at < bytes.size()) {
    if (out.ticks.size() >= kMostTrackIntervals) return TrackFault::Damaged;
    const uint8_t code = bytes[at];
    const std::size_t left = bytes.size() - at;
    if (code <= 0x07) {
      if (left < 2) return TrackFault::Cut;
      flux(uint64_t{code} << 8 | bytes[at + 1], 2);
    } else if (code == kFlux3) {
      if (left < 3) return TrackFault::Cut;
      flux(uint64_t{bytes[at + 1]} << 8 | bytes[at + 2], 3);
    } else if (code >= 0x0E) {
      flux(code, 1);
    } else if (code == kOverflow || code == kNop1 || code == kNop2 || code == kNop3) {
      const std::size_t length = code == kNop2 ? 2 : code == kNop3 ? 3 : 1;
      if (left < length) return TrackFault::Cut;
      if (code == kOverflow) overflow += 0x10000;
      position += static_cast<uint32_t>(length);
      at += length;
    } else {  // out of band
      if (left < 4) return TrackFault::Cut;
      const uint8_t type = bytes[at + 1];
      if (type == kEndOfFile) return out.ended ? TrackFault::None : TrackFault::Cut;
      const std::size_t size = GetLe16(&bytes[at + 2]);
      if (left - 4 < size) return TrackFault::Cut;
      const uint8_t* data = &bytes[at + 4];
      switch (type) {
        case kStreamInfo:
        case kStreamEnd:
          // The device counts what it sent: a different count means bytes were lost on the way.
          if (size < 8 || GetLe32(data) != position) return TrackFault::Damaged;
          if (type == kStreamEnd) {
            const uint32_t result = GetLe32(data + 4);
            if (result == kEndNoIndex) return TrackFault::NoIndex;
            if (result != kEndOk) return TrackFault::Damaged;
            out.ended = true;
          }
          break;
        case kIndex:
          if (size < 12) return TrackFault::Damaged;
          if (!out.indexPositions.empty() && GetLe32(data) < out.indexPositions.back()) return TrackFault::Damaged;
          out.indexPositions.push_back(GetLe32(data));
          break;
        case kDeviceInfo:
          TakeSampleClock({reinterpret_cast<const char*>(data), size}, out.sampleHz);
          break;
        default:
          return TrackFault::Damaged;
      }
      at += 4 + size;
    }
  }
  // The end block may be missing behind a complete stream; without the stream's end the file was cut.
  return out.ended ? TrackFault::None : TrackFault::Cut;
}

}  // namespace

bool StartsLikeKryoFluxStream(std::span<const uint8_t> head) {
  if (head.size() < 4 || head[0] != kOutOfBand) return false;
  const unsigned size = GetLe16(&head[2]);
  switch (head[1]) {
    case kStreamInfo: return size == 8;
    case kDeviceInfo: return size > 0;
    default: return false;
  }
}

TrackFault ParseKryoFluxStream(std::span<const uint8_t> bytes, TrackFlux& flux) {
  flux.Clear();
  Parsed parsed;
  TrackFault fault = Parse(bytes, parsed);
  if (fault != TrackFault::None) return fault;
  if (parsed.indexPositions.empty()) return TrackFault::NoIndex;
  if (parsed.ticks.empty()) return TrackFault::NoFlux;
  const double nsPerTick = 1e9 / parsed.sampleHz;
  flux.intervals.reserve(parsed.ticks.size());
  for (uint64_t ticks : parsed.ticks) {
    flux.intervals.push_back(static_cast<uint32_t>(std::min(std::round(static_cast<double>(ticks) * nsPerTick), 4e9)));
  }
  // An index falls before the first reversal whose blocks end beyond its position.
  for (uint32_t position : parsed.indexPositions) {
    auto next = std::upper_bound(parsed.ends.begin(), parsed.ends.end(), position);
    flux.indexes.push_back(static_cast<std::size_t>(next - parsed.ends.begin()));
  }
  return TrackFault::None;
}
