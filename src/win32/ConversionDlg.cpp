#include "win32/ConversionDlg.h"

#include "base/Texts.h"
#include "win32/ConversionDlgRes.h"

CConversionDlg::CConversionDlg(const DialogContext& context) : CMyDialog(IDD_CONVERSION, context) {}

void CConversionDlg::OnConversionEvent(JobStep step) {
  switch (step) {
    case JobStep::Ended:
      End(0);
      break;
    case JobStep::Loading:
      SetItemText(IDC_CONVERSION_STATUS, TextOf(kTextReadingImageFile));
      break;
    case JobStep::Saving:
      SetItemText(IDC_CONVERSION_STATUS, TextOf(kTextWritingImageFile));
      break;
    default:
      break;
  }
}
