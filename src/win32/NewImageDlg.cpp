#include "win32/NewImageDlg.h"

#include "base/Texts.h"
#include "filesystem/FatNamesOut.h"
#include "ui/WideText.h"
#include "win32/NewImageDlgRes.h"

CNewImageDlg::CNewImageDlg(const DialogContext& context, IMessageBoxes& boxes)
    : CMyDialog(IDD_NEW_IMAGE, context), boxes_(boxes), formats_(NewImageFormats()) {}

bool CNewImageDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  HWND combo = Item(IDC_NEW_IMAGE_FORMAT);
  for (std::size_t i = 0; i < formats_.size(); ++i) {
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(formats_[i].name).c_str()));
    if (formats_[i].geometry.SizeKb() == kNewImageDefaultKb) ::SendMessageW(combo, CB_SETCURSEL, i, 0);
  }
  ::SendMessageW(Item(IDC_NEW_IMAGE_LABEL), EM_LIMITTEXT, 11, 0);
  return true;
}

void CNewImageDlg::OnOK() {
  const LRESULT chosen = ::SendMessageW(Item(IDC_NEW_IMAGE_FORMAT), CB_GETCURSEL, 0, 0);
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= formats_.size()) return;
  const std::string label = ItemText(IDC_NEW_IMAGE_LABEL);
  if (!LabelBytes(label)) {
    ShowError(boxes_, kTextChangeBadLabel, {label});
    ::SetFocus(Item(IDC_NEW_IMAGE_LABEL));
    return;
  }
  geometry_ = formats_[static_cast<std::size_t>(chosen)].geometry;
  label_ = label;
  End(IDOK);
}
