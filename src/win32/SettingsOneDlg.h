#pragma once
// The settings sheet's page "应用程序": confirmations, sound, fade, tooltips, advanced mode, the weekly
// update check, and the .img and .imz associations. The tooltip check box acts at the click; Cancel undoes
// that, OK stores everything (ApplicationPage).

#include <cstdint>
#include <string>

#include "settings/SettingsPages.h"
#include "ui/MyPropertyPage.h"

class CSettingsOneDlg : public CMyPropertyPage {
 public:
  // The live settings and the associations of programPath are read here, when the sheet is made.
  CSettingsOneDlg(const DialogContext& context, AppSettings& live, IRegistryBackend& registry,
                  const std::string& programPath, uint32_t ntMajorVersion, IShellNotifier* shell);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnApply() override;
  void OnReset() override;

 private:
  ApplicationPage model_;
  uint32_t ntMajorVersion_;
  IShellNotifier* shell_;
};
