#include "win32/NewFolderDlg.h"

#include <utility>

#include "base/Texts.h"
#include "win32/NewFolderDlgRes.h"

CNewFolderDlg::CNewFolderDlg(const DialogContext& context, MakeFolder make)
    : CMyDialog(IDD_NEW_FOLDER, context), make_(std::move(make)) {}

bool CNewFolderDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  SetItemText(IDC_NEW_FOLDER_NAME, TextOf(kTextFilesNewFolderName));
  ::SetFocus(Item(IDC_NEW_FOLDER_NAME));
  ::SendMessageW(Item(IDC_NEW_FOLDER_NAME), EM_SETSEL, 0, -1);
  return false;
}

void CNewFolderDlg::OnOK() {
  if (make_(ItemText(IDC_NEW_FOLDER_NAME))) End(IDOK);
}
