#pragma once
// The report of the sectors found bad by an emergency read or recreated by a write: one row per sector,
// sortable by offset or side, and three statistics lines. It only displays the report it is given.

#include "floppy/BadSectorReport.h"
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

 private:
  void FillList();

  BadSectorReportModel report_;
  SortListCtrl list_;
};
