// Decodes a three-revolution SuperCard Pro capture of a 1.44 MB disk with `diskelle /c` and times it against
// one `sha256sum` pass over the same capture file, in the same run (goal: within 10x), with the decoding's
// peak memory (goal: under 64 MB). The capture is made up by the tests' own MFM encoder (tests/support): a
// spindle 2 % fast that wavers by 1 %, jitter of 8 % of a cell, and one sector spoilt differently in each
// revolution, so that the vote runs too. Both sides are child processes timed from here, so both pay the
// same start-up and file costs.
//   flux <diskelle> <folder>   the benchmark
//   flux --make <path>         writes the capture (a child of its own: this process stays small)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Median.h"
#include "base/File.h"
#include "support/CaptureFiles.h"

namespace {

const FloppyGeometry k144{80, 18};

CaptureRecipe Recipe() {
  CaptureRecipe recipe;
  recipe.geometry = k144;
  recipe.cellNs = 1000;
  recipe.speed = 1.02;
  recipe.wow = 0.01;
  recipe.jitter = 0.08;
  recipe.revolutions = 3;
  recipe.spoils = {{40, 1, 9, 0, false, 0.1, 0.2, Damage::Noise},
                   {40, 1, 9, 1, false, 0.4, 0.5, Damage::Dropout},
                   {40, 1, 9, 2, false, 0.7, 0.8, Damage::Noise}};
  return recipe;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--make") {
    WriteScpCapture(argv[2], PatternImage(k144), Recipe());
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: flux <diskelle> <folder>\n");
    return 2;
  }
  const std::string diskelle = argv[1], folder = argv[2];
  const std::string capture = folder + "/disk.scp", image = folder + "/disk.img";
  // A settings file of its own: the run must not read or change the user's.
  ::setenv("DISKELLE_REGISTRY", (folder + "/settings.reg").c_str(), 1);
  RunChild({OwnProgramPath(), "--make", capture});

  constexpr int kRounds = 5;
  std::vector<double> ours, theirs;
  long peakKb = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::remove(image.c_str());
    const ChildRun decode = RunChild({diskelle, "/c", "/i", capture, "/o", image, "/s"}, folder + "/report.txt");
    ours.push_back(decode.seconds);
    peakKb = std::max(peakKb, decode.peakKb);
    theirs.push_back(RunChild({"sha256sum", capture}, folder + "/sum.txt").seconds);
  }
  const std::vector<uint8_t> decoded = ReadBytes(image), expected = PatternImage(k144);
  const bool same = decoded.size() >= expected.size() && std::equal(expected.begin(), expected.end(), decoded.begin());
  const double ratio = Median(ours) / Median(theirs);
  std::printf("capture: %zu bytes (1.44 MB disk, 3 revolutions, .scp); decoded image equals the disk: %s\n",
              ReadBytes(capture).size(), same ? "yes" : "NO");
  std::printf("diskelle /c %.0f ms vs sha256sum %.0f ms (median of %d), ratio %.2f (goal: at most 10)\n",
              Median(ours) * 1000, Median(theirs) * 1000, kRounds, ratio);
  std::printf("peak memory of the decoding: %.1f MB (goal: under 64 MB)\n", static_cast<double>(peakKb) / 1024);
  return same && ratio <= 10 && peakKb < 64 * 1024 ? 0 : 1;
}
