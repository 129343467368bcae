#pragma once
// Changing an image file's description: the path (read-only) and the description to edit. OK hands the
// edited description to the image layer, which writes the new trailer; when that fails (after its own
// message) the dialog stays open so that the user can try again or cancel.

#include <functional>
#include <string>

#include "ui/MyDialog.h"

class CDescriptionDlg : public CMyDialog {
 public:
  // Stores description in the image file; false keeps the dialog open.
  using StoreDescription = std::function<bool(const std::string& description)>;

  CDescriptionDlg(const DialogContext& context, std::string path, std::string description, StoreDescription store);

  // The description as the user left it at OK.
  const std::string& Description() const { return description_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  std::string path_;
  std::string description_;
  StoreDescription store_;
};
