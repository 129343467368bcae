#pragma once
// A new image of a blank disk (File menu "新建映像..."): its format and label. OK keeps the dialog open
// for a label FAT cannot hold; the caller then asks where to save the image.

#include <string>
#include <vector>

#include "app/VolumeEdit.h"
#include "base/MessageBoxes.h"
#include "ui/MyDialog.h"

class CNewImageDlg : public CMyDialog {
 public:
  CNewImageDlg(const DialogContext& context, IMessageBoxes& boxes);

  // As chosen at OK.
  const FloppyGeometry& Geometry() const { return geometry_; }
  const std::string& Label() const { return label_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  IMessageBoxes& boxes_;
  std::vector<NewImageFormat> formats_;
  FloppyGeometry geometry_;
  std::string label_;
};
