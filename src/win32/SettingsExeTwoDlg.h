#pragma once
// The licence page (template 143): whether the self-extractor shows its licence page, with or without the
// picture, its title and text. Stored only at OK of the sheet, and only when the page was shown.

#include "win32/SelfExePage.h"

class CSettingsExeTwoDlg : public SelfExePage {
 public:
  CSettingsExeTwoDlg(const DialogContext& context, const SelfExeSheetServices& services);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnApply() override;

 private:
  void ApplyEnabling() const;
};
