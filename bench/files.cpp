// Lists the files of a generated 1.44 MB floppy image of 150 files with `diskelle --files` and times it against
// mtools' `mdir -/ -a` on the same image, in the same run. Both are child processes timed from here, so both pay
// the same start-up and file costs. Then the reader's own share, timed in this process: the image loaded
// (with its bad sectors) and the volume read. Then extraction: `diskelle --extract` against `mcopy -s -m` on
// 1,000 files in ten folders (goal: within 2x, the sync at the end included), and on one folder of 1,000 and
// one of 10,000 entries (goal: the cost per file stays the same).
//   files <diskelle> <folder>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Fat12Floppy.h"
#include "Median.h"
#include "StderrMessageBoxes.h"
#include "base/File.h"
#include "filesystem/FatVolume.h"
#include "image/ImageSectors.h"

namespace {

bool WriteImage(const std::string& path, const std::vector<uint8_t>& raw) {
  File file = File::Open(path, FileMode::Create);
  return file && file.Write(raw.data(), raw.size()) && file.Close();
}

struct Extraction {
  double ours, theirs;  // medians, seconds
};

// Each side extracts the whole image into a fresh folder, removed after each round (not timed).
Extraction TimeExtraction(const std::string& diskelle, const std::string& img, const std::string& folder, int rounds) {
  std::vector<double> ours, theirs;
  const std::string out = folder + "/out";
  for (int round = 0; round < rounds; ++round) {
    std::filesystem::remove_all(out);
    ours.push_back(RunChild({diskelle, "--extract", img, out}).seconds);
    std::filesystem::remove_all(out);
    std::filesystem::create_directory(out);
    theirs.push_back(RunChild({"mcopy", "-s", "-m", "-i", img, "::/*", out + "/"}).seconds);
  }
  std::filesystem::remove_all(out);
  return {Median(ours), Median(theirs)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: files <diskelle> <folder>\n");
    return 2;
  }
  const std::string diskelle = argv[1], folder = argv[2];
  const std::string img = folder + "/floppy.img";
  // 150 files of 6,000 bytes in 5 folders: a floppy of documents.
  if (!WriteImage(img, MakeFat12Tree(5, 30, 6000))) return 1;
  // A settings file of its own: the listing must not read or change the user's.
  ::setenv("DISKELLE_REGISTRY", (folder + "/settings.reg").c_str(), 1);
  ::setenv("MTOOLS_SKIP_CHECK", "1", 1);

  constexpr int kRounds = 21;
  std::vector<double> ours, theirs;
  for (int round = 0; round < kRounds; ++round) {
    ours.push_back(RunChild({diskelle, "--files", img}, folder + "/ours.txt").seconds);
    theirs.push_back(RunChild({"mdir", "-/", "-a", "-i", img, "::"}, folder + "/theirs.txt").seconds);
  }
  std::printf("1.44 MB image listed: diskelle --files %.2f ms vs mdir -/ -a %.2f ms (medians of %d), ratio %.2f "
              "(process start included; goal <= 1.50)\n",
              Median(ours) * 1000, Median(theirs) * 1000, kRounds, Median(ours) / Median(theirs));
  std::vector<double> load, read;
  std::size_t entries = 0;
  for (int round = 0; round < kRounds; ++round) {
    StderrMessageBoxes boxes;
    auto start = std::chrono::steady_clock::now();
    std::optional<DiskSectors> disk = LoadImageSectors(img, boxes);
    auto loaded = std::chrono::steady_clock::now();
    if (!disk) return 1;
    std::optional<FatVolume> volume = FatVolume::Read(std::move(*disk));
    auto done = std::chrono::steady_clock::now();
    if (!volume) return 1;
    entries = volume->Entries().size();
    load.push_back(std::chrono::duration<double>(loaded - start).count());
    read.push_back(std::chrono::duration<double>(done - loaded).count());
  }
  std::printf("in this process: image loaded in %.2f ms, volume read (%zu entries) in %.3f ms (median of %d; "
              "target: a few milliseconds in all)\n",
              Median(load) * 1000, entries, Median(read) * 1000, kRounds);

  const std::string tree = folder + "/tree.img";
  if (!WriteImage(tree, MakeFat12Tree(10, 100, 700))) return 1;
  const Extraction thousand = TimeExtraction(diskelle, tree, folder, 11);
  std::printf("1,000 files of 700 bytes in 10 folders extracted: diskelle --extract %.0f ms vs mcopy -s -m %.0f ms "
              "(median of 11), ratio %.2f (goal: at most 2)\n",
              thousand.ours * 1000, thousand.theirs * 1000, thousand.ours / thousand.theirs);
  const std::string small = folder + "/flat1000.img", large = folder + "/flat10000.img";
  if (!WriteImage(small, MakeFat12Tree(1, 1000, 0)) || !WriteImage(large, MakeFat12Tree(1, 10000, 0))) return 1;
  const Extraction one = TimeExtraction(diskelle, small, folder, 5);
  const Extraction ten = TimeExtraction(diskelle, large, folder, 5);
  std::printf("one folder of 1,000 vs 10,000 empty files: diskelle %.0f ms vs %.0f ms, per file %.1f vs %.1f us "
              "(ratio %.2f; goal: near 1, never growing with the folder); mcopy %.0f ms vs %.0f ms (ratio per file "
              "%.2f)\n",
              one.ours * 1000, ten.ours * 1000, one.ours / 1000 * 1e6, ten.ours / 10000 * 1e6,
              (ten.ours / 10000) / (one.ours / 1000), one.theirs * 1000, ten.theirs * 1000,
              (ten.theirs / 10000) / (one.theirs / 1000));
  return 0;
}
