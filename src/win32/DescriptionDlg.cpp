#include "win32/DescriptionDlg.h"

#include <utility>

#include "win32/DescriptionDlgRes.h"

CDescriptionDlg::CDescriptionDlg(const DialogContext& context, std::string path, std::string description,
                                 StoreDescription store)
    : CMyDialog(IDD_DESCRIPTION, context),
      path_(std::move(path)),
      description_(std::move(description)),
      store_(std::move(store)) {}

bool CDescriptionDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  SetItemText(IDC_DESCRIPTION_PATH, path_);
  SetItemText(IDC_DESCRIPTION_TEXT, description_);
  // The description is what the user came to change: the caret starts there, not in the read-only path.
  ::SetFocus(Item(IDC_DESCRIPTION_TEXT));
  ::SendMessageW(Item(IDC_DESCRIPTION_TEXT), EM_SETSEL, 0, -1);
  return false;
}

void CDescriptionDlg::OnOK() {
  description_ = ItemText(IDC_DESCRIPTION_TEXT);
  if (!store_ || store_(description_)) End(IDOK);
}
