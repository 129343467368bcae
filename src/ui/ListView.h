#pragma once
// A report-style list view control of a dialog: columns, rows and cell texts in UTF-8. Does not own the
// window (the dialog does).

#include <windows.h>

#include <string>
#include <string_view>

class ListView {
 public:
  ListView() = default;
  explicit ListView(HWND window) : window_(window) {}
  HWND Window() const { return window_; }

  // Returns the new column's index, -1 on failure.
  int InsertColumn(int column, std::string_view caption, int width);
  int ColumnCount() const;
  int ColumnWidth(int column) const;
  // Appends a row with the text of its first cell; returns its index, -1 on failure.
  int AppendRow(std::string_view text);
  BOOL SetCellText(int row, int column, std::string_view text);
  std::string CellText(int row, int column) const;
  int RowCount() const;
  // Adds the given LVS_EX_ styles to the current ones.
  void AddExtendedStyles(DWORD styles);
  void SetRedraw(bool on);

  LPARAM RowData(int row) const;
  BOOL SetRowData(int row, LPARAM data);

 private:
  HWND window_ = nullptr;
};
