#pragma once
// The news ("通讯中心"): a message the vendor publishes on the server, with at most one link.

#include "win32/InternetGetDlg.h"

class CNewsDlg : public CInternetGetDlg {
 public:
  CNewsDlg(const DialogContext& context, InternetServices services);

 protected:
  void ShowAnswer(std::string_view text) override;
};
