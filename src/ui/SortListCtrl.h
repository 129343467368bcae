#pragma once
// A report list whose rows sort by a column when its header is clicked (again: the other direction), with
// typed sort keys per cell, the sort arrow in the header, the sorted column lightly shaded, and columns that
// take a fixed share of the width the list gains when it is resized.
//
// Use: Attach to the dialog's list control in OnInitDialog, insert the columns (List()), SetColumnTypes,
// then per row List().AppendRow / SetCellText and SetSortText / SetSortNumber with row -1 (the row appended
// last), and SortByColumn.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "ui/CommonControls.h"
#include "ui/DialogWindow.h"
#include "ui/ListView.h"
#include "ui/SortKeys.h"

class SortListCtrl {
 public:
  // Below common controls 6.0 the header's sort arrow is drawn by this control.
  explicit SortListCtrl(uint32_t commonControlsVersion = GetCommonControlsVersion());
  SortListCtrl(const SortListCtrl&) = delete;
  SortListCtrl& operator=(const SortListCtrl&) = delete;
  ~SortListCtrl();

  // False when the dialog has no such control or this control is attached already.
  bool Attach(DialogWindow& dialog, int controlId);
  ListView& List() { return list_; }

  // One type per column, once the columns exist. Remembers the columns' widths and the list's size as the
  // base of SetColumnWidthPercent.
  void SetColumnTypes(std::initializer_list<SortKeyType> types);
  // column gets percent % of the width the list gains (or loses) from now on.
  void SetColumnWidthPercent(int column, float percent);
  // row -1: the row appended last.
  void SetSortText(std::string_view key, int row, int column);
  void SetSortNumber(int64_t key, int row, int column);
  // What the row stands for in the caller's data (row -1: the row appended last); it follows the row through
  // every sort. -1 for a row that was given none.
  void SetRowTag(int64_t tag, int row);
  int64_t RowTag(int row);
  // The row's text is drawn in kMarkedRowColour (row -1: the row appended last).
  void MarkRow(int row);
  // A negative column keeps the current column and direction and only sorts again.
  void SortByColumn(int column, bool ascending);

  int SortColumn() const { return sortColumn_; }
  bool Ascending() const { return ascending_; }

  std::optional<LRESULT> OnReflectedNotify(NMHDR& header);

  // The shade of the sorted column.
  static constexpr COLORREF kSortedColumnColour = RGB(247, 247, 247);
  // The text of a marked row: a dark red that stays readable on the shade and on a selection.
  static constexpr COLORREF kMarkedRowColour = RGB(192, 0, 0);

 private:
  struct RowKeys {
    std::vector<SortKey> cells;
    int64_t tag = -1;
    bool marked = false;
  };

  RowKeys* KeysOf(int row);
  void SetKey(SortKey key, int row, int column);
  void UpdateHeaderArrows();
  void ResizeColumns();
  void FillSortedStripBelowRows(HDC dc);
  LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;
  void Detach();
  LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
  static int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM self);
  static LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self);

  uint32_t commonControlsVersion_;
  DialogWindow* dialog_ = nullptr;
  ListView list_;
  HWND header_ = nullptr;
  std::vector<SortKeyType> columnTypes_;
  int sortColumn_ = -1;
  bool ascending_ = true;
  RECT initialClient_{};
  std::vector<int> initialWidths_;
  std::vector<float> widthPercents_;
  bool tracking_ = false;
  bool destroying_ = false;
  std::vector<std::unique_ptr<RowKeys>> rows_;
};

// Draws a header item of the older common controls: caption, and on the sorted column a raised triangle
// pointing up (ascending) or down.
void DrawSortHeaderItem(const DRAWITEMSTRUCT& draw, bool sorted, bool ascending);
