// The program's start-up: `diskelle --version` against /bin/true, round by round in the same run. Both are
// child processes timed from here; what diskelle costs beyond /bin/true is its own loading and what runs
// before the command.
//   startup <diskelle> <folder>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Median.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: startup <diskelle> <folder>\n");
    return 2;
  }
  const std::string diskelle = argv[1], folder = argv[2];
  ::setenv("DISKELLE_REGISTRY", (folder + "/settings.reg").c_str(), 1);
  constexpr int kRounds = 101;
  std::vector<double> ours, theirs;
  for (int round = 0; round < kRounds; ++round) {
    ours.push_back(RunChild({diskelle, "--version"}, "/dev/null").seconds);
    theirs.push_back(RunChild({"/bin/true"}, "/dev/null").seconds);
  }
  std::printf("diskelle --version %.2f ms vs /bin/true %.2f ms (medians of %d), ratio %.2f (goal <= 1.50)\n",
              Median(ours) * 1000, Median(theirs) * 1000, kRounds, Median(ours) / Median(theirs));
  return 0;
}
