#include "win32/SettingsSheet.h"

#include "base/Texts.h"
#include "ui/MyPropertySheet.h"
#include "win32/SettingsOneDlg.h"
#include "win32/SettingsTwoDlg.h"

INT_PTR RunSettingsSheet(HWND owner, const DialogContext& context, const SettingsSheetServices& services) {
  CSettingsOneDlg one(context, services.live, services.registry, services.programPath, services.ntMajorVersion,
                      services.shell);
  CSettingsTwoDlg two(context, services.live, services.registry, services.ntMajorVersion);
  CMyPropertySheet sheet(kTextSettingsCaption, context);
  sheet.AddPage(one);
  sheet.AddPage(two);
  return sheet.RunModal(owner);
}
