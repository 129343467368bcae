#include "win32/SettingsExeTwoDlg.h"

#include "settings/SelfExePages.h"
#include "win32/SettingsExeTwoDlgRes.h"

namespace {

constexpr CheckBinding kChecks[] = {{IDC_LICENSE_DISPLAY, &SelfExeSettings::m_licenseDisplay},
                                    {IDC_LICENSE_PICTURE, &SelfExeSettings::m_licensePicture}};
constexpr TextBinding kTexts[] = {{IDC_LICENSE_TITLE, &SelfExeSettings::m_licenseTitle},
                                  {IDC_LICENSE_TEXT, &SelfExeSettings::m_licenseText}};

}  // namespace

CSettingsExeTwoDlg::CSettingsExeTwoDlg(const DialogContext& context, const SelfExeSheetServices& services)
    : SelfExePage(IDD_SETTINGS_EXE_TWO, context, services, kChecks, kTexts) {}

bool CSettingsExeTwoDlg::OnInitDialog() {
  SelfExePage::OnInitDialog();
  ApplyEnabling();
  return true;
}

bool CSettingsExeTwoDlg::OnCommand(int id, int code, HWND control) {
  if (id != IDC_LICENSE_DISPLAY || code != BN_CLICKED) return SelfExePage::OnCommand(id, code, control);
  ReadControls();
  ApplyEnabling();
  return true;
}

bool CSettingsExeTwoDlg::OnApply() {
  ReadControls();
  StoreLicencePage(services_.registry, values_, services_.live);
  return SelfExePage::OnApply();
}

void CSettingsExeTwoDlg::ApplyEnabling() const {
  EnableItems({IDC_LICENSE_PICTURE, IDC_LICENSE_TITLE, IDC_LICENSE_TEXT, IDC_LICENSE_TITLE_LABEL,
               IDC_LICENSE_TEXT_LABEL},
              values_.m_licenseDisplay != 0);
}
