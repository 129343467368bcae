#include "win32/SettingsExeOneDlg.h"

#include "settings/SelfExePages.h"
#include "win32/DroppedFiles.h"
#include "win32/ImageFileDialogs.h"
#include "win32/SettingsExeOneDlgRes.h"

namespace {

constexpr CheckBinding kChecks[] = {{IDC_CUSTOM_PICTURE, &SelfExeSettings::m_customPicture},
                                    {IDC_SELF_EXE_WINDOW_FX, &SelfExeSettings::m_windowFx}};
constexpr TextBinding kTexts[] = {{IDC_PICTURE_PATH, &SelfExeSettings::m_picturePath}};

}  // namespace

CSettingsExeOneDlg::CSettingsExeOneDlg(const DialogContext& context, const SelfExeSheetServices& services)
    : SelfExePage(IDD_SETTINGS_EXE_ONE, context, services, kChecks, kTexts) {}

std::optional<LRESULT> CSettingsExeOneDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_DROPFILES) return SelfExePage::WindowProc(message, wParam, lParam);
  std::string path = FirstDroppedFile(reinterpret_cast<HDROP>(wParam));
  if (!path.empty()) TakePicture(path);
  return 0;
}

bool CSettingsExeOneDlg::OnInitDialog() {
  SelfExePage::OnInitDialog();
  boxes_.SetOwner(::GetParent(Window()));
  ApplyEnabling();
  return true;
}

bool CSettingsExeOneDlg::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return SelfExePage::OnCommand(id, code, control);
  switch (id) {
    case IDC_CUSTOM_PICTURE:
      ReadControls();
      ApplyEnabling();
      return true;
    case IDC_BROWSE_PICTURE:
      OnBrowse();
      return true;
    default:
      return SelfExePage::OnCommand(id, code, control);
  }
}

bool CSettingsExeOneDlg::OnKillActive() {
  ReadControls();
  if (!PictureReadable(values_, boxes_)) return false;
  StoreVisualPage(services_.registry, values_, services_.live);
  return SelfExePage::OnKillActive();
}

void CSettingsExeOneDlg::ApplyEnabling() const {
  EnableItems({IDC_PICTURE_LABEL, IDC_PICTURE_PATH, IDC_BROWSE_PICTURE}, values_.m_customPicture != 0);
}

void CSettingsExeOneDlg::OnBrowse() {
  std::string path;
  if (RunOpenPictureDialog(::GetParent(Window()), services_.platform, path) == 0) TakePicture(path);
}

void CSettingsExeOneDlg::TakePicture(const std::string& path) {
  if (AcceptPictureName(path, boxes_)) SetItemText(IDC_PICTURE_PATH, path);
}
