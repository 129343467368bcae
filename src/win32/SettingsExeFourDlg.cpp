#include "win32/SettingsExeFourDlg.h"

#include "settings/SelfExePages.h"
#include "win32/SettingsExeFourDlgRes.h"

namespace {

constexpr CheckBinding kChecks[] = {{IDC_DRIVE_B, &SelfExeSettings::m_driveB},
                                    {IDC_OVERWRITE_DIALOG, &SelfExeSettings::m_overwriteDialog},
                                    {IDC_SUCCESS_DIALOG, &SelfExeSettings::m_successDialog},
                                    {IDC_RESTART_DIALOG, &SelfExeSettings::m_restartDialog},
                                    {IDC_SELF_EXE_VERIFY_WRITE, &SelfExeSettings::m_verifyWrite},
                                    {IDC_SELF_EXE_FORMAT, &SelfExeSettings::m_format},
                                    {IDC_SELF_EXE_VERIFY_FORMAT, &SelfExeSettings::m_verifyFormat}};

}  // namespace

CSettingsExeFourDlg::CSettingsExeFourDlg(const DialogContext& context, const SelfExeSheetServices& services)
    : SelfExePage(IDD_SETTINGS_EXE_FOUR, context, services, kChecks, {}) {}

bool CSettingsExeFourDlg::OnInitDialog() {
  SelfExePage::OnInitDialog();
  EnableItems({IDC_SELF_EXE_VERIFY_FORMAT}, values_.m_format != 0);
  return true;
}

bool CSettingsExeFourDlg::OnCommand(int id, int code, HWND control) {
  if (id != IDC_SELF_EXE_FORMAT || code != BN_CLICKED) return SelfExePage::OnCommand(id, code, control);
  // The verification keeps its value while greyed: the settings block carries it all the same.
  values_.m_format = ::SendMessageW(Item(IDC_SELF_EXE_FORMAT), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  EnableItems({IDC_SELF_EXE_VERIFY_FORMAT}, values_.m_format != 0);
  return true;
}

bool CSettingsExeFourDlg::OnKillActive() {
  ReadControls();
  StoreOptionsPage(services_.registry, values_, services_.live);
  return SelfExePage::OnKillActive();
}
