#pragma once
// The report of the sectors found bad by an emergency read or recreated by a write: three statistics lines,
// a map of the disk, one row per sector, sortable by offset or side, and, when the image holds a FAT volume,
// the files the bad sectors hit; after a flux capture, a button shows what decoding saw (CCaptureAccountDlg). It
// only displays the report it is given.

#include "app/BadSectorReport.h"
#include "ui/MyDialog.h"
#include "ui/SortListCtrl.h"

class CBadSectorDlg : public CMyDialog {
 public:
  CBadSectorDlg(const DialogContext& context, BadSectorReportModel report);

  SortListCtrl& List() { return list_; }

  // The window's size in pixels that the column widths were designed for.
  static constexpr int kDesignWidth = 341;
  static constexpr int kDesignHeight = 376;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillList();
  void FillFiles();
  // Without a volume the files' part goes and the window ends above it.
  void LeaveOutFiles();
  void PaintMap(const DRAWITEMSTRUCT& item) const;

  BadSectorReportModel report_;
  SortListCtrl list_;
  SortListCtrl filesList_;
};

// What decoding a flux capture saw, a line per track and the vote's result, in a window of its own that can
// be scrolled and copied from.
class CCaptureAccountDlg : public CMyDialog {
 public:
  CCaptureAccountDlg(const DialogContext& context, std::vector<std::string> lines);

 protected:
  bool OnInitDialog() override;

 private:
  std::vector<std::string> lines_;
};
