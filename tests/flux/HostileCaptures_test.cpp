// Captures that lie or are cut, as files from damaged disks, broken transfers and hostile hands come: each is
// refused for what it is (the whole capture or one track), and whatever still decodes is never another
// sector's data.
#include <gtest/gtest.h>

#include <functional>

#include "flux/CaptureDecoder.h"
#include "flux/KryoFluxStream.h"
#include "flux/ScpCapture.h"
#include "support/CaptureFiles.h"
#include "support/ImageTestSupport.h"

namespace {

const FloppyGeometry k360{40, 9};

CaptureRecipe TwoRevolutions() {
  CaptureRecipe recipe;
  recipe.geometry = k360;
  recipe.revolutions = 2;
  recipe.cylinders = {0};
  return recipe;
}

void Put32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get32(const std::vector<uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// Whatever a damaged capture still gives is the disk's own data.
void ExpectOnlyTrueSectors(Capture& capture, const std::vector<uint8_t>& image) {
  DecodedDisk disk = DecodeCapture(capture, k360);
  for (std::size_t s = 0; s < disk.bad.size(); ++s) {
    if (disk.bad[s]) continue;
    EXPECT_TRUE(std::equal(disk.bytes.begin() + static_cast<std::ptrdiff_t>(s * kSectorBytes),
                           disk.bytes.begin() + static_cast<std::ptrdiff_t>((s + 1) * kSectorBytes),
                           image.begin() + static_cast<std::ptrdiff_t>(s * kSectorBytes)))
        << s;
  }
}

}  // namespace

class HostileCaptures : public ImageFolder {};

TEST_F(HostileCaptures, ScpFilesAreRefusedForWhatTheyAre) {
  const std::vector<uint8_t> image = PatternImage(k360);
  ScpFileWriter writer(Path("good.scp"), 2);
  SynthesiseCapture(image, TwoRevolutions(), [&](const TrackPlace& place, const TrackFlux& flux) { writer.AddTrack(place, flux); });
  const std::vector<uint8_t> good = writer.Bytes();
  const uint32_t track0 = Get32(good, 0x10);  // the first track's header: "TRK", number, 2 x 12 bytes
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
    CaptureFault fault;
    TrackFault trackFault;  // of cylinder 0, head 0
  };
  const std::vector<Case> cases = {
      {"empty", [](auto& b) { b.clear(); }, CaptureFault::NotCapture, {}},
      {"the signature alone", [](auto& b) { b.resize(3); }, CaptureFault::Cut, {}},
      {"cut in the table of tracks", [](auto& b) { b.resize(0x14); }, CaptureFault::Cut, {}},
      {"no revolutions", [](auto& b) { b[5] = 0; }, CaptureFault::BadHeader, {}},
      {"tracks that end before they begin", [](auto& b) { b[6] = 3, b[7] = 1; }, CaptureFault::BadHeader, {}},
      {"a track beyond the table", [](auto& b) { b[7] = 200; }, CaptureFault::BadHeader, {}},
      {"8-bit flux times", [](auto& b) { b[9] = 8; }, CaptureFault::BadHeader, {}},
      {"no track at all", [](auto& b) { std::fill(b.begin() + 0x10, b.begin() + 0x2B0, 0); }, CaptureFault::NoTracks, {}},
      {"a track offset past the end", [](auto& b) { Put32(b, 0x10, static_cast<uint32_t>(b.size() + 10)); },
       CaptureFault::None, TrackFault::Cut},
      {"cut inside the flux", [&](auto& b) { b.resize(track0 + 100); }, CaptureFault::None, TrackFault::Cut},
      {"a track header of another track", [&](auto& b) { b[track0 + 3] = 9; }, CaptureFault::None, TrackFault::Damaged},
      {"a flux count past the end", [&](auto& b) { Put32(b, track0 + 8, 0x7FFFFFFF); }, CaptureFault::None,
       TrackFault::Damaged},
      {"revolutions without flux", [&](auto& b) { Put32(b, track0 + 8, 0), Put32(b, track0 + 20, 0); },
       CaptureFault::None, TrackFault::NoFlux},
      {"flux times of zero", [&](auto& b) { std::fill(b.begin() + track0 + 28, b.begin() + Get32(b, 0x14), 0); },
       CaptureFault::None, TrackFault::NoFlux},
      {"more revolutions than written", [](auto& b) { b[5] = 5; }, CaptureFault::None, TrackFault::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = good;
    c.spoil(bytes);
    WriteBytes(Path("spoilt.scp"), bytes);
    CaptureOpening opening = OpenScpCapture(Path("spoilt.scp"));
    ASSERT_EQ(opening.fault, c.fault);
    if (!opening.capture) continue;
    TrackFlux flux;
    const TrackFault fault = opening.capture->Load({0, 0}, flux);
    if (c.trackFault != TrackFault::None) {
      EXPECT_EQ(fault, c.trackFault);
    }
    EXPECT_EQ(flux.intervals.empty(), fault != TrackFault::None);
    ExpectOnlyTrueSectors(*opening.capture, image);
  }
}

TEST(HostileStreams, KryoFluxStreamsAreRefusedForWhatTheyAre) {
  const std::vector<uint8_t> image = PatternImage(k360);
  const TrackFlux flux = SynthesisePlace(image, TwoRevolutions(), {0, 0});
  TrackFlux noIndex = flux;
  noIndex.indexes.clear();
  const std::vector<uint8_t> good = KryoFluxStreamBytes(flux);
  const std::size_t info = StreamInfoAt(good), end = good.size() - 16;
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    TrackFault fault;
  };
  auto spoilt = [&](std::function<void(std::vector<uint8_t>&)> spoil) {
    std::vector<uint8_t> bytes = good;
    spoil(bytes);
    return bytes;
  };
  const std::vector<Case> cases = {
      {"whole", good, TrackFault::None},
      {"cut inside a flux block", spoilt([&](auto& b) { b.resize(info + 2000); }), TrackFault::Cut},
      {"cut before the stream's end", spoilt([&](auto& b) { b.resize(end); }), TrackFault::Cut},
      {"an out-of-band block longer than the file", spoilt([&](auto& b) { b[end + 2] = 0xFF, b[end + 3] = 0xFF; }),
       TrackFault::Cut},
      {"an out-of-band block of no known type", spoilt([&](auto& b) { b[info + 1] = 0x07; }), TrackFault::Damaged},
      {"bytes lost on the way", spoilt([&](auto& b) { Put32(b, end + 4, Get32(b, end + 4) + 1); }), TrackFault::Damaged},
      {"the device could not keep up", KryoFluxStreamBytes(flux, 1), TrackFault::Damaged},
      {"the device saw no index", KryoFluxStreamBytes(flux, 2), TrackFault::NoIndex},
      {"no index block", KryoFluxStreamBytes(noIndex), TrackFault::NoIndex},
      {"an index block too short", spoilt([&](auto& b) { b[info - 14] = 4; }), TrackFault::Damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackFlux parsed;
    EXPECT_EQ(ParseKryoFluxStream(c.bytes, parsed), c.fault);
    if (c.fault == TrackFault::None) {
      EXPECT_EQ(parsed.indexes, flux.indexes);
    }
    EXPECT_EQ(parsed.intervals.empty(), c.fault != TrackFault::None);
  }
}
