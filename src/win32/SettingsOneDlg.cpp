#include "win32/SettingsOneDlg.h"

#include "win32/SettingsOneDlgRes.h"
#include "win32/SettingsPageChecks.h"

namespace {

constexpr PageCheck<ApplicationPage> kChecks[] = {
    {IDC_SETTINGS_SUPPRESS, &ApplicationPage::suppress},
    {IDC_SETTINGS_SOUND, &ApplicationPage::sound},
    {IDC_SETTINGS_ASSOCIATE_IMG, &ApplicationPage::imgAssociated},
    {IDC_SETTINGS_ASSOCIATE_IMZ, &ApplicationPage::imzAssociated},
    {IDC_SETTINGS_WINDOW_FX, &ApplicationPage::windowFx},
    {IDC_SETTINGS_TOOLTIPS, &ApplicationPage::toolTips},
    {IDC_SETTINGS_ADVANCED_MODE, &ApplicationPage::advancedMode},
    {IDC_SETTINGS_CHECK_UPDATES, &ApplicationPage::checkUpdates},
};

}  // namespace

CSettingsOneDlg::CSettingsOneDlg(const DialogContext& context, AppSettings& live, IRegistryBackend& registry,
                                 const std::string& programPath, uint32_t ntMajorVersion, IShellNotifier* shell)
    : CMyPropertyPage(IDD_SETTINGS_ONE, context),
      model_(live, registry, programPath),
      ntMajorVersion_(ntMajorVersion),
      shell_(shell) {}

bool CSettingsOneDlg::OnInitDialog() {
  ShowChecks<ApplicationPage>(Window(), kChecks, model_);
  CMyPropertyPage::OnInitDialog();
  ::EnableWindow(Item(IDC_SETTINGS_WINDOW_FX), ApplicationPage::FadeAvailable(ntMajorVersion_) ? TRUE : FALSE);
  return true;
}

bool CSettingsOneDlg::OnCommand(int id, int code, HWND control) {
  if (id != IDC_SETTINGS_TOOLTIPS || code != BN_CLICKED) return CMyPropertyPage::OnCommand(id, code, control);
  model_.SetToolTips(::IsDlgButtonChecked(Window(), id) == BST_CHECKED ? 1 : 0);
  return true;
}

bool CSettingsOneDlg::OnApply() {
  ReadChecks<ApplicationPage>(Window(), kChecks, model_);
  model_.Ok(shell_);
  return true;
}

void CSettingsOneDlg::OnReset() { model_.Cancel(); }
