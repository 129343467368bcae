#pragma once
// The command-line help (from a command line without an input or output image, and from the Help menu).

#include "ui/MyDialog.h"

class CCommandLineHelpDlg : public CMyDialog {
 public:
  explicit CCommandLineHelpDlg(const DialogContext& context);

 protected:
  bool OnInitDialog() override;
};
