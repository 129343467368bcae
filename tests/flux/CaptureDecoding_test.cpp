// One table of captures, written as files the way flux readers write them (tests/support: an MFM encoder of
// our own, the SCP and KryoFlux stream formats from their public descriptions), and the map each must give.
#include <gtest/gtest.h>

#include "flux/CaptureDecoder.h"
#include "flux/KryoFluxSet.h"
#include "flux/ScpCapture.h"
#include "support/CaptureFiles.h"
#include "support/ImageTestSupport.h"

namespace {

enum class Kind { Scp, KryoFlux };

// Sector 5 of cylinder 3, head 1 spoilt differently in each revolution; sector 2 of cylinder 7, head 0 spoilt
// alike in every one; sector 8 of cylinder 12, head 1 with its ID spoilt in one revolution and its data in
// the other two.
const std::vector<Spoil> kDamage = {
    {3, 1, 5, 0, false, 0.05, 0.25, Damage::Noise},   {3, 1, 5, 1, false, 0.40, 0.55, Damage::Dropout},
    {3, 1, 5, 2, false, 0.75, 0.95, Damage::Noise},   {7, 0, 2, -1, false, 0.50, 0.53, Damage::Dropout},
    {12, 1, 8, 0, true, 0.2, 0.8, Damage::Noise},     {12, 1, 8, 1, false, 0.1, 0.2, Damage::Noise},
    {12, 1, 8, 2, false, 0.6, 0.7, Damage::Dropout},
};

struct CaptureCase {
  const char* name;
  Kind kind;
  CaptureRecipe recipe;
  FloppyGeometry geometry;              // as recognised
  LayoutFault fault;
  std::vector<int64_t> bad, voted;      // linear sectors, besides those of cylinders not captured
  bool doubleStepped;
};

CaptureRecipe Recipe(FloppyGeometry geometry, double cellNs, double speed, double jitter,
                     std::vector<Spoil> spoils = {}, std::vector<int> cylinders = {}) {
  CaptureRecipe recipe;
  recipe.geometry = geometry;
  recipe.cellNs = cellNs;
  recipe.speed = speed;
  recipe.jitter = jitter;
  recipe.wow = 0.01;
  recipe.spoils = std::move(spoils);
  recipe.cylinders = std::move(cylinders);
  return recipe;
}

std::vector<int64_t> Side(const FloppyGeometry& geometry, int cylinder, int head) {
  std::vector<int64_t> sectors;
  for (int s = 0; s < geometry.sectorsPerTrack; ++s) sectors.push_back(geometry.LinearSector(cylinder, head, s));
  return sectors;
}

}  // namespace

class CaptureDecoding : public ImageFolder {};

TEST_F(CaptureDecoding, CapturesGiveTheirMaps) {
  const FloppyGeometry k360{40, 9};
  const int64_t voted = k360.LinearSector(3, 1, 4), bad = k360.LinearSector(7, 0, 1);
  // Only the cylinders that matter are captured: a whole disk takes seconds to make up.
  const std::vector<int> damaged = {0, 3, 7, 12, 39};
  CaptureRecipe doubleStep = Recipe(k360, 2000, 1.0, 0.05, {}, {0, 1, 2, 3, 4, 5, 78, 79});
  doubleStep.doubleStep = true;
  CaptureRecipe slow1200 = Recipe({80, 15}, 1000, 1.0, 0.08, {}, {0, 1, 79});
  slow1200.rpm = 360;
  slow1200.missing = {{79, 1}};
  const std::vector<CaptureCase> cases = {
      {"360 KB 5 % fast, jitter 10 %, damaged spots", Kind::Scp, Recipe(k360, 2000, 1.05, 0.10, kDamage, damaged), k360,
       LayoutFault::None, {bad}, {voted}, false},
      {"the same as KryoFlux streams, 5 % slow", Kind::KryoFlux, Recipe(k360, 2000, 0.95, 0.10, kDamage, damaged), k360,
       LayoutFault::None, {bad}, {voted}, false},
      {"40 tracks read in an 80-track drive", Kind::Scp, doubleStep, k360, LayoutFault::None, {}, {}, true},
      {"1.44 MB, three cylinders", Kind::Scp, Recipe({80, 18}, 1000, 1.03, 0.10, {}, {0, 1, 79}), {80, 18},
       LayoutFault::None, {}, {}, false},
      {"1.68 MB interleaved", Kind::KryoFlux, Recipe({80, 21}, 1000, 0.97, 0.08, {}, {0, 40, 79}), {80, 21},
       LayoutFault::None, {}, {}, false},
      {"1.2 MB at 360 RPM, a track missing", Kind::Scp, slow1200, {80, 15}, LayoutFault::None, Side({80, 15}, 79, 1),
       {}, false},
      {"800 KB", Kind::Scp, Recipe({80, 10}, 2000, 1.0, 0.08, {}, {0, 79}), {80, 10}, LayoutFault::None, {}, {}, false},
      {"8 sectors a track: no format of ours", Kind::Scp, Recipe({40, 8}, 2000, 1.0, 0.05, {}, {0, 39}), {},
       LayoutFault::UnknownFormat, {}, {}, false},
  };
  for (const CaptureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> image = PatternImage(c.recipe.geometry);
    const std::string prefix = Path(std::to_string(&c - cases.data()) + "-track");
    std::string path = prefix + ".scp";
    if (c.kind == Kind::Scp) {
      WriteScpCapture(path, image, c.recipe);
    } else {
      WriteKryoFluxCapture(prefix, image, c.recipe);
      path = KryoFluxFileName(prefix, {c.recipe.cylinders.empty() ? 1 : c.recipe.cylinders.front(), 1});
    }
    CaptureOpening opening = c.kind == Kind::Scp ? OpenScpCapture(path) : OpenKryoFluxSet(path);
    ASSERT_EQ(opening.fault, CaptureFault::None);
    DiskLayout layout = SurveyCapture(*opening.capture);
    ASSERT_EQ(layout.fault, c.fault);
    if (c.fault != LayoutFault::None) continue;
    EXPECT_EQ(layout.geometry, c.geometry);
    DecodedDisk disk = DecodeCapture(*opening.capture, layout.geometry);
    EXPECT_EQ(disk.doubleStepped, c.doubleStepped);
    EXPECT_EQ(disk.voted, c.voted);
    EXPECT_TRUE(disk.conflicts.empty());
    // Every sector is the image's, or bad with the marker: never another sector's data, never reported good.
    std::vector<int64_t> badSeen;
    for (int64_t s = 0; s < c.geometry.TotalSectors(); ++s) {
      const int cylinder = static_cast<int>(s / (c.geometry.sectorsPerTrack * kHeads));
      const auto& only = c.recipe.cylinders;
      const int drive = c.doubleStepped ? cylinder * 2 : cylinder;  // as the capturing drive counts it
      const bool captured = only.empty() || std::find(only.begin(), only.end(), drive) != only.end();
      const auto at = static_cast<std::ptrdiff_t>(s * kSectorBytes);
      if (disk.bad[static_cast<std::size_t>(s)]) {
        if (captured) badSeen.push_back(s);
        EXPECT_EQ(std::string(disk.bytes.begin() + at, disk.bytes.begin() + at + 22), "BAD SECTOR DUMMY BLOCK");
      } else {
        EXPECT_TRUE(captured) << s;
        EXPECT_TRUE(std::equal(image.begin() + at, image.begin() + at + kSectorBytes, disk.bytes.begin() + at)) << s;
      }
    }
    EXPECT_EQ(badSeen, c.bad);
  }
}
