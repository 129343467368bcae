// diskelle.exe: start-up of the Windows program.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Platform.h"
#include "base/Texts.h"
#include "base/Utf.h"
#include "base/WindowsMessageBoxes.h"
#include "settings/Settings.h"
#include "settings/WindowsRegistry.h"

namespace {

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    arguments.push_back(Utf16ToUtf8(std::u16string(argv[i], argv[i] + ::lstrlenW(argv[i]))));
  }
  ::LocalFree(argv);
  return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Lets other programs see by its name that Diskelle runs; never waited on.
  ::CreateMutexW(nullptr, FALSE, L"{F604751D-2FB6-42af-944A-BACEE21E1970}");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  PlatformInfo platform = DetectPlatform();
  WindowsRegistry registry;
  AppSettings settings;
  SelfExeSettings selfExeSettings;
  LoadSettings(registry, platform.ntMajorVersion, settings, selfExeSettings);

  WindowsMessageBoxes boxes;
  std::string help;
  for (const std::string& line : CommandLineHelpLines()) help += line + "\n";
  boxes.Show(0, help, MessageIcon::Information);
  return Arguments().size() > 1 ? kExitUnusable : kExitDone;
}
