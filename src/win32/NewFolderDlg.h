#pragma once
// The name of a new folder on a disk, asked by the files window's "新建文件夹". OK hands the name to make,
// which keeps the dialog open when it refuses the name (after its message).

#include <functional>
#include <string>

#include "ui/MyDialog.h"

class CNewFolderDlg : public CMyDialog {
 public:
  using MakeFolder = std::function<bool(const std::string& name)>;
  CNewFolderDlg(const DialogContext& context, MakeFolder make);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  MakeFolder make_;
};
