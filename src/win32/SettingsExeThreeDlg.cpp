#include "win32/SettingsExeThreeDlg.h"

#include "settings/SelfExePages.h"
#include "win32/SettingsExeThreeDlgRes.h"

namespace {

constexpr CheckBinding kChecks[] = {{IDC_CREATE_PICTURE, &SelfExeSettings::m_createPicture},
                                    {IDC_CREATE_DESCRIPTION, &SelfExeSettings::m_createDescription}};
constexpr TextBinding kTexts[] = {{IDC_CREATE_TITLE, &SelfExeSettings::m_createTitle},
                                  {IDC_CREATE_TEXT, &SelfExeSettings::m_createText}};

}  // namespace

CSettingsExeThreeDlg::CSettingsExeThreeDlg(const DialogContext& context, const SelfExeSheetServices& services)
    : SelfExePage(IDD_SETTINGS_EXE_THREE, context, services, kChecks, kTexts) {}

bool CSettingsExeThreeDlg::OnApply() {
  ReadControls();
  StoreCreatePage(services_.registry, values_, services_.live);
  return SelfExePage::OnApply();
}
