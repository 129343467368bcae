// Writing files onto a disk's image against mtools on the same files, in the same run: a blank 1.44 MB image
// made by `diskelle --new` against `mformat`, and 300 files of 3 KB (in one folder) added by `diskelle --add`
// against `mcopy -s` into a blank image (goal: each within 2x). Both are child processes timed from here; each
// round starts from a fresh copy of a blank image (not timed). diskelle puts the image on the disk before it
// takes its name (a change survives a power failure); mtools writes in place without a sync.
//   changes <diskelle> <folder>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Median.h"
#include "base/File.h"

namespace {

// 300 files of 3 KB of prose-like bytes, each different.
bool MakeFiles(const std::string& folder) {
  std::filesystem::create_directories(folder);
  for (int i = 0; i < 300; ++i) {
    std::string bytes;
    for (int k = 0; bytes.size() < 3072; ++k) bytes += "Line " + std::to_string(k) + " of measurement " + std::to_string(i) + ".\n";
    bytes.resize(3072);
    File file = File::Open(folder + "/measurement " + std::to_string(i) + ".txt", FileMode::Create);
    if (!file || !file.Write(bytes.data(), bytes.size()) || !file.Close()) return false;
  }
  return true;
}

void Report(const char* what, const std::vector<double>& ours, const std::vector<double>& theirs, const char* them) {
  std::printf("%s: diskelle %.1f ms vs %s %.1f ms (median of %zu), ratio %.2f (goal: at most 2)\n", what,
              Median(ours) * 1000, them, Median(theirs) * 1000, ours.size(), Median(ours) / Median(theirs));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: changes <diskelle> <folder>\n");
    return 2;
  }
  const std::string diskelle = argv[1], folder = argv[2];
  ::setenv("DISKELLE_REGISTRY", (folder + "/settings.reg").c_str(), 1);
  ::setenv("MTOOLS_SKIP_CHECK", "1", 1);
  const std::string files = folder + "/files", ours = folder + "/ours.img", theirs = folder + "/theirs.img";
  if (!MakeFiles(files)) return 1;

  constexpr int kRounds = 11;
  std::vector<double> newOurs, newTheirs, addOurs, addTheirs;
  for (int round = 0; round < kRounds; ++round) {
    std::filesystem::remove(ours);
    std::filesystem::remove(theirs);
    newOurs.push_back(RunChild({diskelle, "--new", ours}).seconds);
    newTheirs.push_back(RunChild({"mformat", "-C", "-f", "1440", "-i", theirs, "::"}).seconds);
    addOurs.push_back(RunChild({diskelle, "--add", ours, files}).seconds);
    addTheirs.push_back(RunChild({"mcopy", "-s", "-i", theirs, files, "::"}).seconds);
  }
  Report("blank 1.44 MB image made (--new vs mformat)", newOurs, newTheirs, "mformat");
  Report("300 files of 3 KB added to a blank 1.44 MB image (--add vs mcopy -s)", addOurs, addTheirs, "mcopy -s");
  return 0;
}
