// Lists the files of a generated 1.44 MB floppy image with `diskelle --files` and times it against mtools'
// `mdir -/ -a` on the same image, in the same run. Both are child processes timed from here, so both pay
// the same start-up and file costs. Then the reader's own share, timed in this process: the image loaded
// (with its bad sectors) and the volume read.
//   files <diskelle> <folder>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Fat12Floppy.h"
#include "Median.h"
#include "StderrMessageBoxes.h"
#include "base/File.h"
#include "image/ImageSectors.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: files <diskelle> <folder>\n");
    return 2;
  }
  const std::string diskelle = argv[1], folder = argv[2];
  const std::string img = folder + "/floppy.img";
  std::vector<uint8_t> raw = MakeFat12Floppy();
  {
    File file = File::Open(img, FileMode::Create);
    if (!file || !file.Write(raw.data(), raw.size()) || !file.Close()) return 1;
  }
  // A settings file of its own: the listing must not read or change the user's.
  ::setenv("DISKELLE_REGISTRY", (folder + "/settings.reg").c_str(), 1);
  ::setenv("MTOOLS_SKIP_CHECK", "1", 1);

  constexpr int kRounds = 21;
  std::vector<double> ours, theirs;
  for (int round = 0; round < kRounds; ++round) {
    ours.push_back(RunChild({diskelle, "--files", img}, folder + "/ours.txt").seconds);
    theirs.push_back(RunChild({"mdir", "-/", "-a", "-i", img, "::"}, folder + "/theirs.txt").seconds);
  }
  std::printf("1.44 MB image listed: diskelle --files %.2f ms vs mdir -/ -a %.2f ms (median of %d), ratio %.2f "
              "(process start included)\n",
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
  return 0;
}
