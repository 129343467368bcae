#pragma once
// The create page (template 144): the picture and the description on the self-extractor's create page, its
// title and instructions. Stored only at OK of the sheet, and only when the page was shown.

#include "win32/SelfExePage.h"

class CSettingsExeThreeDlg : public SelfExePage {
 public:
  CSettingsExeThreeDlg(const DialogContext& context, const SelfExeSheetServices& services);

 protected:
  bool OnApply() override;
};
