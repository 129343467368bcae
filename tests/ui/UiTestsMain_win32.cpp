// ui_tests.exe: the ui tests, or with --showcase one dialog shown for screenshots and the robot tests.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Showcase_win32.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (argc >= 2 && std::string(argv[1]) == "--showcase") return RunShowcase(std::vector<std::string>(argv + 2, argv + argc));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
