#pragma once
// The options page (template 150): the self-extractor's questions and how it writes the disk. Stored each
// time the page is left, so a change stays even when the sheet is then cancelled.

#include "win32/SelfExePage.h"

class CSettingsExeFourDlg : public SelfExePage {
 public:
  CSettingsExeFourDlg(const DialogContext& context, const SelfExeSheetServices& services);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnKillActive() override;
};
