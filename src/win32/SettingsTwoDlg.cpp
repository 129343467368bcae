#include "win32/SettingsTwoDlg.h"

#include <commctrl.h>

#include <optional>

#include "base/Format.h"
#include "base/Texts.h"
#include "win32/SettingsPageChecks.h"
#include "win32/SettingsTwoDlgRes.h"

namespace {

constexpr PageCheck<DiskAccessPage> kChecks[] = {
    {IDC_SETTINGS_DRIVE_B, &DiskAccessPage::driveB},
    {IDC_SETTINGS_COMPATIBLE, &DiskAccessPage::compatible},
    {IDC_SETTINGS_EMERGENCY, &DiskAccessPage::emergency},
    {IDC_SETTINGS_FORMAT_DISK, &DiskAccessPage::formatDisk},
    {IDC_SETTINGS_RECREATE_BAD, &DiskAccessPage::recreateBad},
    {IDC_SETTINGS_VERIFY_FORMAT, &DiskAccessPage::verifyFormat},
    {IDC_SETTINGS_VERIFY_WRITE, &DiskAccessPage::verifyWrite},
};

}  // namespace

CSettingsTwoDlg::CSettingsTwoDlg(const DialogContext& context, AppSettings& live, IRegistryBackend& registry,
                                 uint32_t ntMajorVersion)
    : CMyPropertyPage(IDD_SETTINGS_TWO, context), model_(live, registry, ntMajorVersion) {}

bool CSettingsTwoDlg::OnInitDialog() {
  ShowChecks<DiskAccessPage>(Window(), kChecks, model_);
  ::SendDlgItemMessageW(Window(), IDC_SETTINGS_RETRY_SPIN, UDM_SETRANGE32, 0, kMaxRetryPasses);
  ::SetDlgItemInt(Window(), IDC_SETTINGS_RETRY_PASSES, static_cast<UINT>(model_.retryPasses), FALSE);
  CMyPropertyPage::OnInitDialog();
  boxes_.SetOwner(::GetParent(Window()));
  EnableFormatDependents();
  return true;
}

void CSettingsTwoDlg::EnableFormatDependents() const {
  ::EnableWindow(Item(IDC_SETTINGS_RECREATE_BAD), model_.RecreateBadEnabled() ? TRUE : FALSE);
  ::EnableWindow(Item(IDC_SETTINGS_VERIFY_FORMAT), model_.VerifyFormatEnabled() ? TRUE : FALSE);
}

bool CSettingsTwoDlg::OnCommand(int id, int code, HWND control) {
  if (id != IDC_SETTINGS_FORMAT_DISK || code != BN_CLICKED) return CMyPropertyPage::OnCommand(id, code, control);
  model_.formatDisk = ::IsDlgButtonChecked(Window(), id) == BST_CHECKED ? 1 : 0;
  EnableFormatDependents();
  return true;
}

bool CSettingsTwoDlg::OnKillActive() {
  if (DiskAccessPage::ParseRetryPasses(ItemText(IDC_SETTINGS_RETRY_PASSES))) return true;
  boxes_.Show(0, FormatText(kTextRetryPassesNotNumber, {static_cast<int>(kMaxRetryPasses)}), MessageIcon::Error);
  ::SetFocus(Item(IDC_SETTINGS_RETRY_PASSES));
  return false;
}

bool CSettingsTwoDlg::OnApply() {
  ReadChecks<DiskAccessPage>(Window(), kChecks, model_);
  // The field refuses to be left with anything but digits; should such a text reach OK all the same, the
  // stored count stays.
  if (std::optional<int> passes = DiskAccessPage::ParseRetryPasses(ItemText(IDC_SETTINGS_RETRY_PASSES))) {
    model_.retryPasses = *passes;
  }
  model_.Ok();
  return true;
}
