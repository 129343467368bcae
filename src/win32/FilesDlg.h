#pragma once
// The files on the loaded image's disk: its folders as a tree, the chosen folder's entries in a sortable
// list (damaged ones in red), and extraction of the chosen entries, or all, into a folder.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/MessageBoxes.h"
#include "filesystem/FatVolume.h"
#include "ui/MyDialog.h"
#include "ui/SortListCtrl.h"

class CFilesDlg : public CMyDialog {
 public:
  CFilesDlg(const DialogContext& context, FatVolume volume, std::string imagePath, IMessageBoxes& boxes);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  std::optional<LRESULT> OnNotify(NMHDR& header) override;

 private:
  void FillTree();
  void ShowFolder(int folder);
  void Extract();
  // The entries of the selected rows.
  std::vector<int> ChosenEntries();

  FatVolume volume_;
  std::string imagePath_;
  IMessageBoxes& boxes_;
  SortListCtrl list_;
  std::vector<HTREEITEM> folderNodes_;  // per entry; nullptr for files
  std::string lastFolder_;
};
