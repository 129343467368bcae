#include "SelfExeSheet_win32.h"

#include <commctrl.h>

#include "Scenario_win32.h"
#include "base/Texts.h"
#include "win32/MainDlgRes.h"

namespace scenario {

HWND OpenSelfExeSheet(const robot::Process& process, HWND main) {
  if (!robot::ChooseMenuItem(main, kMenuSelfExeSettings)) return nullptr;
  return WaitForCaption(process.Id(), Utf16(kTextSelfExeSheetCaption));
}

HWND SelectTab(HWND sheet, int index) {
  if (!::PostMessageW(PropSheet_GetTabControl(sheet), TCM_SETCURFOCUS, index, 0)) return nullptr;
  if (!WaitUntil([&] { return CurrentPageIndex(sheet) == index; })) return nullptr;
  return PropSheet_GetCurrentPageHwnd(sheet);
}

int CurrentPageIndex(HWND sheet) {
  HWND page = PropSheet_GetCurrentPageHwnd(sheet);
  return page ? static_cast<int>(PropSheet_HwndToIndex(sheet, page)) : -1;
}

}  // namespace scenario
