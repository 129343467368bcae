// scenarios_tests.exe: the scenarios, or with --show NAME --ready-file FILE one state of diskelle.exe kept
// on the screen for scripts/screenshots.
#include <gtest/gtest.h>

#include <string>

#include "Showcase_win32.h"

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--show" && std::string(argv[3]) == "--ready-file") {
    return scenario::RunShowcase(argv[2], argv[4]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
