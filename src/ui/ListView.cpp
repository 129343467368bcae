#include "ui/ListView.h"

#include <commctrl.h>

#include "ui/WideText.h"

int ListView::InsertColumn(int column, std::string_view caption, int width) {
  std::wstring text = Wide(caption);
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  info.pszText = text.data();
  info.cx = width;
  info.iSubItem = column;
  return static_cast<int>(::SendMessageW(window_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info)));
}

int ListView::ColumnCount() const {
  HWND header = reinterpret_cast<HWND>(::SendMessageW(window_, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int ListView::ColumnWidth(int column) const {
  return static_cast<int>(::SendMessageW(window_, LVM_GETCOLUMNWIDTH, column, 0));
}

int ListView::AppendRow(std::string_view text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = RowCount();
  item.pszText = wide.data();
  return static_cast<int>(::SendMessageW(window_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL ListView::SetCellText(int row, int column, std::string_view text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  return static_cast<BOOL>(::SendMessageW(window_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
}

std::string ListView::CellText(int row, int column) const {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = static_cast<int>(std::size(buffer));
  ::SendMessageW(window_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return Narrow(buffer);
}

int ListView::RowCount() const { return static_cast<int>(::SendMessageW(window_, LVM_GETITEMCOUNT, 0, 0)); }

void ListView::AddExtendedStyles(DWORD styles) {
  ::SendMessageW(window_, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
}

void ListView::SetRedraw(bool on) {
  ::SendMessageW(window_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (on) ::InvalidateRect(window_, nullptr, TRUE);
}

LPARAM ListView::RowData(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return ::SendMessageW(window_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

BOOL ListView::SetRowData(int row, LPARAM data) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = data;
  return static_cast<BOOL>(::SendMessageW(window_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}
