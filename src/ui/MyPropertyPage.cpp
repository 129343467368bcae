#include "ui/MyPropertyPage.h"

PROPSHEETPAGEW CMyPropertyPage::Description() {
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_DEFAULT;
  page.hInstance = ::GetModuleHandleW(nullptr);
  page.pszTemplate = MAKEINTRESOURCEW(templateId_);
  page.pfnDlgProc = &DialogWindow::PageProcedure;
  page.lParam = reinterpret_cast<LPARAM>(static_cast<DialogWindow*>(this));
  return page;
}

bool CMyPropertyPage::PreTranslateMessage(MSG& message) {
  appearance_.PreTranslate(Window(), message, toolTipsEnabled_ && context_.toolTips != 0);
  return false;
}

bool CMyPropertyPage::OnInitDialog() {
  appearance_.Apply(Window(), context_);
  return true;
}

std::optional<LRESULT> CMyPropertyPage::OnNotify(NMHDR& header) {
  switch (header.code) {
    case PSN_APPLY:
      return OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
    case PSN_KILLACTIVE:
      return OnKillActive() ? FALSE : TRUE;
    case PSN_RESET:
      OnReset();
      return 0;
    default:
      return std::nullopt;
  }
}

void CMyPropertyPage::SetModified() {
  ::SendMessageW(::GetParent(Window()), PSM_CHANGED, reinterpret_cast<WPARAM>(Window()), 0);
}
