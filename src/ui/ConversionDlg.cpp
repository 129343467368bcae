#include "ui/ConversionDlg.h"

#include "base/Texts.h"
#include "ui/ConversionDlgRes.h"

CConversionDlg::CConversionDlg(const DialogContext& context) : CMyDialog(IDD_CONVERSION, context) {}

void CConversionDlg::OnConversionEvent(WPARAM stage) {
  switch (stage) {
    case 0:
      End(0);
      break;
    case 1:
      SetItemText(IDC_CONVERSION_STATUS, TextOf(kTextReadingImageFile));
      break;
    case 2:
      SetItemText(IDC_CONVERSION_STATUS, TextOf(kTextWritingImageFile));
      break;
    default:
      break;
  }
}
