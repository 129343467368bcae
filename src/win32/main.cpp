// diskelle.exe: start-up of the Windows program. The main dialog is the only window loop; when it closes
// (or a batch run inside its initialisation ends it), the process ends with the run's exit code.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/FirstRun.h"
#include "app/Platform.h"
#include "base/Clock.h"
#include "base/File.h"
#include "base/WindowsMessageBoxes.h"
#include "floppy/FloppyDrives.h"
#include "net/WeeklyCheck.h"
#include "settings/WindowsRegistry.h"
#include "settings/WindowsShellNotifier.h"
#include "ui/ProgramArguments.h"
#include "win32/MainDlg.h"
#include "win32/MainWindowFront.h"
#include "win32/SecondInstance.h"
#include "win32/UpdateDlg.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Lets other programs see by its name that Diskelle runs; never waited on, open until the process ends.
  ::CreateMutexW(nullptr, FALSE, L"{F604751D-2FB6-42af-944A-BACEE21E1970}");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  WindowsRegistry registry;
  WindowsMessageBoxes boxes;
  PlatformInfo platform = DetectPlatform();
  DevicePath devicePath = DevicePathFor(platform.ntMajorVersion);
  FloppyDrives devices(ProcessEnvironment, SystemFloppyDevices(devicePath), devicePath);
  SystemClock clock;
  ApplicationServices services{registry, boxes, devices, clock, platform, OwnProgramPath(), PathStyle::Windows};
  MainWindowFront front;
  Application application(services, front);
  application.LoadAllSettings();
  RunWeeklyUpdateCheck(application.settings, registry, services.platform.internetStateAvailable != 0,
                       SecondsSince1970(), [&application, &services] {
                         DialogContext context{application.settings.m_toolTips, application.settings.m_windowFx,
                                               services.platform.ntMajorVersion == 4};
                         CUpdateDlg(context, ProgramInternetServices(), true).RunModal(nullptr);
                       });
  // A registration that fails stays silent: the settings sheet shows each type's state and registers again.
  WindowsShellNotifier shell;
  FirstRunOfVersion(registry, boxes, services.programPath, &shell);

  std::vector<std::string> arguments = WithFullImagePaths(ProgramArguments(), PathStyle::Windows, FullPath);
  CMainDlg dialog(application, front, boxes, arguments);
  CInstanceChecker& checker = dialog.InstanceChecker();
  checker.WaitForStartupLock();
  if (checker.OtherInstanceExists()) return HandOverToRunningInstance(checker, arguments);
  if (dialog.RunModal(nullptr) == kDialogFailed) return kExitOperationFailed;
  return dialog.Decision().exitCode;
}
