#pragma once
// The files on the loaded image's disk: its folders as a tree, the chosen folder's entries in a sortable
// list (damaged ones in red), and extraction of the chosen entries, or all, into a folder. On an image it
// may change, files and folders are added (also dropped on the window), folders made and entries deleted in
// the folder the tree shows, held until saved; otherwise these commands are greyed and say why.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/VolumeEdit.h"
#include "base/MessageBoxes.h"
#include "filesystem/FatVolume.h"
#include "image/ImageWriter.h"
#include "ui/MyDialog.h"
#include "ui/SortListCtrl.h"

class CFilesDlg : public CMyDialog {
 public:
  CFilesDlg(const DialogContext& context, FatVolume volume, std::string imagePath, IMessageBoxes& boxes,
            ImageWriteOptions write);

  // Whether changes were saved into the image (its information changed).
  bool Saved() const { return saved_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  std::optional<LRESULT> OnNotify(NMHDR& header) override;
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Unsaved changes are saved or dropped after a question.
  void OnCancel() override;

 private:
  // The disk as shown: with the changes made so far when it may be changed.
  const FatVolume& Shown() const { return editable_ ? edit_.Volume() : volume_; }
  // Fills tree and list anew, the folder of that path chosen (the root when it is gone).
  void FillTree(const std::string& folderPath);
  void ShowFolder(int folder);
  std::string FolderPath() const;
  void ShowChanged(const std::string& folderPath);
  void Extract();
  void AddChosenFiles();
  void Add(const std::vector<std::string>& paths);
  void MakeFolder();
  void DeleteChosen();
  bool Save();
  // The entries of the selected rows.
  std::vector<int> ChosenEntries();

  FatVolume volume_;
  VolumeEdit edit_;
  bool editable_ = false;
  bool saved_ = false;
  bool filling_ = false;  // the tree is being filled: its selection changes are not the user's
  int folder_ = -1;       // the folder the tree shows (an entry of Shown(), -1 the root)
  ImageWriteOptions write_;
  std::string imagePath_;
  IMessageBoxes& boxes_;
  SortListCtrl list_;
  std::vector<HTREEITEM> folderNodes_;  // per entry; nullptr for files
  std::string lastFolder_;
};
