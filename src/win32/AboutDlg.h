#pragma once
// The About box: the program's name, version and release date, and links to the vendor's web site and
// support address. It has no buttons; Esc or the close box end it, and a link opens without ending it.

#include "base/WindowsMessageBoxes.h"
#include "ui/HyperLink.h"
#include "ui/MyDialog.h"

class CAboutDlg : public CMyDialog {
 public:
  explicit CAboutDlg(const DialogContext& context);

 protected:
  bool OnInitDialog() override;

 private:
  WindowsMessageBoxes boxes_;
  CHyperLink web_{boxes_};
  CHyperLink mail_{boxes_};
};
