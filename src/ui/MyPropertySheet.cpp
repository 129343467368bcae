#include "ui/MyPropertySheet.h"

#include <commctrl.h>

#include "ui/ModalLoop.h"
#include "ui/WideText.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x534854;

}  // namespace

CMyPropertySheet::CMyPropertySheet(std::string caption, const DialogContext& context, int startPage)
    : caption_(Wide(caption)), context_(context), startPage_(startPage), fader_(context.windowFx) {}

CMyPropertySheet::~CMyPropertySheet() {
  if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
}

INT_PTR CMyPropertySheet::RunModal(HWND owner) {
  if (window_ || pages_.empty()) return -1;
  std::vector<PROPSHEETPAGEW> descriptions;
  for (CMyPropertyPage* page : pages_) descriptions.push_back(page->Description());
  HWND root = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
  header.hwndParent = root;
  header.hInstance = ::GetModuleHandleW(nullptr);
  header.pszCaption = caption_.c_str();
  header.nPages = static_cast<UINT>(descriptions.size());
  header.nStartPage = static_cast<UINT>(startPage_);
  header.ppsp = descriptions.data();
  OwnerDisabler disabler(root);
  window_ = reinterpret_cast<HWND>(::PropertySheetW(&header));
  if (!window_ || window_ == reinterpret_cast<HWND>(-1)) {
    window_ = nullptr;
    return -1;
  }
  ::SetWindowSubclass(window_, &CMyPropertySheet::SubclassProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  OnInitDialog();
  HWND sheet = window_;
  RunModalLoop([sheet] { return PropSheet_GetCurrentPageHwnd(sheet) == nullptr; },
               [sheet](MSG& m) { return PropSheet_IsDialogMessage(sheet, &m) != FALSE; });
  auto result = static_cast<INT_PTR>(::SendMessageW(sheet, PSM_GETRESULT, 0, 0));
  disabler.Release();
  ::DestroyWindow(sheet);
  window_ = nullptr;
  return result;
}

void CMyPropertySheet::OnInitDialog() {
  fader_.Attach(window_, WindowFader::kMinAlpha, WindowFader::kMaxAlpha, WindowFader::kStepDelayMs);
  if (!activateAllPages_) return;
  int current = PropSheet_HwndToIndex(window_, PropSheet_GetCurrentPageHwnd(window_));
  for (std::size_t index = 0; index < pages_.size(); ++index) PropSheet_SetCurSel(window_, nullptr, index);
  PropSheet_SetCurSel(window_, nullptr, current);
}

std::optional<LRESULT> CMyPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM) {
  fader_.OnMessage(window_, message, wParam);
  return std::nullopt;
}

LRESULT CALLBACK CMyPropertySheet::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                     UINT_PTR, DWORD_PTR self) {
  try {
    auto* sheet = reinterpret_cast<CMyPropertySheet*>(self);
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, &CMyPropertySheet::SubclassProcedure, kSubclassId);
    if (std::optional<LRESULT> result = sheet->WindowProc(message, wParam, lParam)) return *result;
  } catch (...) {
    // The sheet's own handling goes on.
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}
