// Lists the files of a generated 1.44 MB floppy image with `diskelle --files` and times it against mtools'
// `mdir -/ -a` on the same image, in the same run. Both are child processes timed from here, so both pay
// the same start-up and file costs.
//   files <diskelle> <folder>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Fat12Floppy.h"
#include "Median.h"
#include "base/File.h"

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
              "(target <= 1.50, a few milliseconds)\n",
              Median(ours) * 1000, Median(theirs) * 1000, kRounds, Median(ours) / Median(theirs));
  return 0;
}
