#include "win32/AboutDlg.h"

#include "base/Format.h"
#include "base/Texts.h"
#include "settings/Settings.h"
#include "win32/AboutDlgRes.h"

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);

}  // namespace

CAboutDlg::CAboutDlg(const DialogContext& context) : CMyDialog(IDD_ABOUT, context) {}

bool CAboutDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  boxes_.SetOwner(Window());
  SetItemText(IDC_ABOUT_NAME, FormatText(kTextAboutNameVersion, {TextOf(kTextAppTitle), kProgramVersion}));
  SetItemText(IDC_ABOUT_DATE, kTextReleaseDate);
  SetItemText(IDC_ABOUT_NOTICE, kTextAboutNotice);
  SetItemText(IDC_ABOUT_MAIL, kTextVendorSupportAddress);
  SetItemText(IDC_ABOUT_WEB, kTextVendorWebAddress);
  web_.Attach(Window(), IDC_ABOUT_WEB);
  mail_.Attach(Window(), IDC_ABOUT_MAIL);
  web_.SetLinkTarget(kTextVendorWebAddress);
  mail_.SetLinkTarget(FormatText(kTextMailtoAddress, {kTextVendorSupportAddress}));
  CHyperLink::SetLinkColours(kBlue, kBlue, kBlue, kBlue);
  return true;
}
