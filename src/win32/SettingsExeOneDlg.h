#pragma once
// The visual page (template 142): the user's own picture instead of the built-in one, and the fade of the
// self-extractor's windows. The picture is browsed for or dropped on the page (BMP files only). Stored each
// time the page is left; with the custom picture on, a picture that cannot be opened keeps the page.

#include "base/WindowsMessageBoxes.h"
#include "win32/SelfExePage.h"

class CSettingsExeOneDlg : public SelfExePage {
 public:
  CSettingsExeOneDlg(const DialogContext& context, const SelfExeSheetServices& services);

 protected:
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnKillActive() override;

 private:
  void ApplyEnabling() const;
  void OnBrowse();
  void TakePicture(const std::string& path);

  WindowsMessageBoxes boxes_;  // owned by the sheet, which they keep from input meanwhile
};
