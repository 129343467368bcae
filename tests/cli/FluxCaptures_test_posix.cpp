// Rescue from flux captures as a user runs it: a capture of a damaged disk decoded into an image with its map,
// another capture taking only the sectors the map still calls bad, and the captures and rescues that must be
// refused. The captures are made by the tests' own MFM encoder and capture writers (tests/support), of a few
// cylinders each: the tracks a capture lacks are bad like any other.

#include <gtest/gtest.h>

#include <algorithm>

#include "support/CaptureFiles.h"
#include "support/CraftedVolume.h"
#include "support/MapfileReader.h"
#include "support/ProgramsFixture_posix.h"

namespace {

const FloppyGeometry k144{80, 18};
// FILE1 (clusters 2..33) lies in sectors 33..64, FILE2 in 65..66: cylinders 0 and 1.
constexpr int64_t kSpoiltAlways = 39;  // cylinder 1, head 0, sector 4: spoilt alike in every revolution
constexpr int64_t kSpoiltOnce = 59;    // cylinder 1, head 1, sector 6: spoilt differently in each

std::vector<uint8_t> Volume(char fill) {
  CraftedVolume volume;
  CraftedVolume::Folder root = CraftedVolume::Root();
  volume.AddFile(root, "FILE1   BIN", std::string(16384, fill));
  volume.AddFile(root, "FILE2   TXT", std::string(1024, 'b'));
  return volume.bytes;
}

CaptureRecipe Recipe(std::vector<int> cylinders, double speed, std::vector<Spoil> spoils = {}) {
  CaptureRecipe recipe;
  recipe.geometry = k144;
  recipe.cellNs = 1000;
  recipe.speed = speed;
  recipe.jitter = 0.08;
  recipe.wow = 0.01;
  recipe.cylinders = std::move(cylinders);
  recipe.spoils = std::move(spoils);
  return recipe;
}

// Every sector outside the cylinders given, and those added.
std::vector<int64_t> BadBeyond(const std::vector<int>& cylinders, std::vector<int64_t> added) {
  for (int64_t s = 0; s < k144.TotalSectors(); ++s) {
    const int cylinder = static_cast<int>(s / (k144.sectorsPerTrack * kHeads));
    if (std::find(cylinders.begin(), cylinders.end(), cylinder) == cylinders.end()) added.push_back(s);
  }
  std::sort(added.begin(), added.end());
  return added;
}

}  // namespace

class FluxCaptures : public ProgramsTest {
 protected:
  std::vector<int64_t> BadOfMap(const std::string& image) {
    std::optional<Mapfile> map = ReadMapfile(ReadWhole(image + ".map"));
    return map ? BadSectorsOfMapfile(*map) : std::vector<int64_t>{-1};
  }
  // The state --files gives a file ("ok", "damaged 1/32", ...).
  std::string FileState(const std::string& image, const std::string& name) {
    const std::string listed = "\n" + Diskelle({"--files", image}).out;
    const std::size_t at = listed.find("\n" + name + "\t");
    if (at == std::string::npos) return "not listed";
    const std::size_t end = listed.find('\n', at + 1);
    return listed.substr(listed.rfind('\t', end) + 1, end - listed.rfind('\t', end) - 1);
  }
};

TEST_F(FluxCaptures, CapturesRescueADiskAndAnotherCaptureFillsOnlyWhatIsStillBad) {
  const std::vector<uint8_t> volume = Volume('a');
  const std::string disk(volume.begin(), volume.end());
  const std::vector<int> firstCylinders = {0, 1, 79};
  WriteScpCapture(Path("first.scp"), volume,
                  Recipe(firstCylinders, 1.03,
                         {{1, 0, 4, -1, false, 0.5, 0.53, Damage::Dropout},
                          {1, 1, 6, 0, false, 0.1, 0.2, Damage::Noise},
                          {1, 1, 6, 1, false, 0.4, 0.5, Damage::Dropout},
                          {1, 1, 6, 2, false, 0.7, 0.8, Damage::Noise}}));
  WriteKryoFluxCapture(Path("second"), volume, Recipe({1}, 0.97));
  WriteScpCapture(Path("other.scp"), Volume('z'), Recipe({1}, 1.0));
  const std::string cut = ReadWhole(Path("first.scp")).substr(0, 0x20);
  WriteWhole(Path("cut.scp"), cut);
  WriteWhole(Path("lone.img"), disk);
  const std::string second = Path(KryoFluxFileName("second", {1, 0}));
  const std::string image = Path("disk.img");

  const std::vector<int64_t> firstBad = BadBeyond(firstCylinders, {kSpoiltAlways});
  std::vector<int64_t> mergedBad = firstBad;
  std::erase(mergedBad, kSpoiltAlways);
  struct Step {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string said;  // part of what it prints
    std::vector<int64_t> bad;  // the map's bad sectors after it
    std::string file1;
  };
  const std::vector<Step> steps = {
      {"the first capture", {"/c", "/i", Path("first.scp"), "/o", image}, 1, "经逐位表决恢复的扇区: 60", firstBad,
       "damaged 1/32"},
      {"a capture never replaces a rescue unasked", {"/c", "/i", second, "/o", image}, 1, "--resume", firstBad,
       "damaged 1/32"},
      {"a capture of another disk", {"--resume", "/c", "/i", Path("other.scp"), "/o", image}, 1, "不是同一张软盘",
       firstBad, "damaged 1/32"},
      {"a bad sector only in an image form that records it", {"/c", "/i", Path("first.scp"), "/o", Path("disk.imz")},
       1, "只能保存为 IMG", firstBad, "damaged 1/32"},
      {"a resumed image needs its map", {"--resume", "/c", "/i", second, "/o", Path("lone.img")}, 1, "lone.img.map",
       firstBad, "damaged 1/32"},
      {"a cut capture", {"/c", "/i", Path("cut.scp"), "/o", Path("new.img")}, 2, "不完整", firstBad, "damaged 1/32"},
      {"the second capture, KryoFlux streams", {"--resume", "/c", "/i", second, "/o", image}, 1,
       "补入了 1 个坏扇区", mergedBad, "ok"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    ProgramRun run = Diskelle(step.args);
    EXPECT_EQ(run.exitCode, step.exitCode) << run.err;
    EXPECT_TRUE(Contains(run.out + run.err, step.said)) << run.out << run.err;
    EXPECT_EQ(BadOfMap(image), step.bad);
    EXPECT_EQ(FileState(image, "FILE1.BIN"), step.file1);
    EXPECT_EQ(FileState(image, "FILE2.TXT"), "ok");
    // Every sector of the image is the disk's, or the marker where the map says bad.
    const std::string raw = ReadWhole(image);
    for (int64_t s = 0; s < k144.TotalSectors(); ++s) {
      const std::size_t at = static_cast<std::size_t>(s) * kSectorBytes;
      if (std::binary_search(step.bad.begin(), step.bad.end(), s)) {
        EXPECT_EQ(raw.substr(at, 22), "BAD SECTOR DUMMY BLOCK") << s;
      } else {
        EXPECT_TRUE(raw.compare(at, kSectorBytes, disk, at, kSectorBytes) == 0) << s;
      }
    }
  }
  EXPECT_FALSE(FileExists(Path("new.img")));
  EXPECT_FALSE(FileExists(Path("disk.imz")));
  EXPECT_TRUE(ReadWhole(Path("lone.img")) == disk);

  // An ImageDisk file records unreadable sectors itself: the capture's bad sectors survive the trip through it.
  ProgramRun toImd = Diskelle({"/c", "/i", Path("first.scp"), "/o", Path("capture.imd")});
  EXPECT_EQ(toImd.exitCode, 1) << toImd.err;
  ProgramRun back = Diskelle({"/c", "/i", Path("capture.imd"), "/o", Path("back.img")});
  EXPECT_EQ(back.exitCode, 1) << back.err;
  EXPECT_EQ(BadOfMap(Path("back.img")), firstBad);
  EXPECT_EQ(FileState(Path("back.img"), "FILE1.BIN"), "damaged 1/32");
  EXPECT_TRUE(UnfinishedSaves().empty());
}
