// Writing files onto a disk's image against mtools on the same files, in the same run: a blank 1.44 MB image
// made by `diskelle --new` against `mformat`, and 300 files of 3 KB (in one folder) added by `diskelle --add`
// against `mcopy -s` into a blank image (goal: each within 2x). Both are child processes timed from here; each
// round starts from a new blank image of each. diskelle puts the image on the disk before it takes its name
// (a change survives a power failure); mtools writes in place without a sync, and mformat writes only the
// system area (24 KB of a sparse file). So the blank image is also measured against mformat followed by the
// same flush of the file and its folder (timed here): the goal's ratio, as a save that a power failure can
// undo is no save.
//   changes <diskelle> <folder>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
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

// The time to put a file and its folder's entry of it on the disk.
double FlushSeconds(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& name : {path, std::filesystem::path(path).parent_path().string()}) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
      std::fprintf(stderr, "cannot flush %s\n", name.c_str());
      std::exit(1);
    }
    ::close(fd);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
  std::vector<double> newOurs, newTheirs, newTheirsFlushed, addOurs, addTheirs;
  for (int round = 0; round < kRounds; ++round) {
    std::filesystem::remove(ours);
    std::filesystem::remove(theirs);
    newOurs.push_back(RunChild({diskelle, "--new", ours}).seconds);
    newTheirs.push_back(RunChild({"mformat", "-C", "-f", "1440", "-i", theirs, "::"}).seconds);
    newTheirsFlushed.push_back(newTheirs.back() + FlushSeconds(theirs));
    addOurs.push_back(RunChild({diskelle, "--add", ours, files}).seconds);
    addTheirs.push_back(RunChild({"mcopy", "-s", "-i", theirs, files, "::"}).seconds);
  }
  Report("blank 1.44 MB image made (--new vs mformat, then flushed)", newOurs, newTheirsFlushed, "mformat + flush");
  std::printf("  (against mformat alone, %.1f ms: ratio %.2f)\n", Median(newTheirs) * 1000,
              Median(newOurs) / Median(newTheirs));
  Report("300 files of 3 KB added to a blank 1.44 MB image (--add vs mcopy -s)", addOurs, addTheirs, "mcopy -s");
  return 0;
}
