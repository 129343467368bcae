#include "win32/SelfExeSettingsSheet.h"

#include "base/Texts.h"
#include "ui/MyPropertySheet.h"
#include "win32/SettingsExeFourDlg.h"
#include "win32/SettingsExeOneDlg.h"
#include "win32/SettingsExeThreeDlg.h"
#include "win32/SettingsExeTwoDlg.h"

void RunSelfExeSettingsSheet(HWND owner, const DialogContext& context, const SelfExeSheetServices& services) {
  CSettingsExeTwoDlg licence(context, services);
  CSettingsExeThreeDlg create(context, services);
  CSettingsExeOneDlg visual(context, services);
  CSettingsExeFourDlg options(context, services);
  CMyPropertySheet sheet(kTextSelfExeSheetCaption, context);
  sheet.AddPage(licence);
  sheet.AddPage(create);
  sheet.AddPage(visual);
  sheet.AddPage(options);
  sheet.RunModal(owner);
}
