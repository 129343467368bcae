#include "ui/SortListCtrl.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr UINT_PTR kSubclassId = 0x534C43;

}  // namespace

SortListCtrl::SortListCtrl(uint32_t commonControlsVersion) : commonControlsVersion_(commonControlsVersion) {}

SortListCtrl::~SortListCtrl() { Detach(); }

bool SortListCtrl::Attach(DialogWindow& dialog, int controlId) {
  HWND list = dialog.Item(controlId);
  if (!list || list_.Window()) return false;
  dialog_ = &dialog;
  list_ = ListView(list);
  header_ = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  dialog.ReflectNotifications(list, [this](NMHDR& header) { return OnReflectedNotify(header); });
  ::SetWindowSubclass(list, &SortListCtrl::ListProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

void SortListCtrl::Detach() {
  HWND list = list_.Window();
  if (!list) return;
  destroying_ = true;
  ::RemoveWindowSubclass(list, &SortListCtrl::ListProcedure, kSubclassId);
  if (dialog_) dialog_->ReflectNotifications(list, {});
  rows_.clear();
  list_ = ListView();
}

void SortListCtrl::SetColumnTypes(std::initializer_list<SortKeyType> types) {
  columnTypes_.assign(types.begin(), types.end());
  ::GetClientRect(list_.Window(), &initialClient_);
  initialWidths_.clear();
  for (std::size_t column = 0; column < columnTypes_.size(); ++column) {
    initialWidths_.push_back(list_.ColumnWidth(static_cast<int>(column)));
  }
  widthPercents_.assign(columnTypes_.size(), -1.0f);
}

void SortListCtrl::SetColumnWidthPercent(int column, float percent) {
  if (column >= 0 && static_cast<std::size_t>(column) < widthPercents_.size()) widthPercents_[column] = percent;
}

SortListCtrl::RowKeys* SortListCtrl::KeysOf(int row) {
  if (row < 0 || row >= list_.RowCount()) return nullptr;
  if (auto* keys = reinterpret_cast<RowKeys*>(list_.RowData(row))) return keys;
  rows_.push_back(std::make_unique<RowKeys>());
  RowKeys* keys = rows_.back().get();
  keys->cells.resize(columnTypes_.size());
  list_.SetRowData(row, reinterpret_cast<LPARAM>(keys));
  return keys;
}

void SortListCtrl::SetKey(SortKey key, int row, int column) {
  if (row == -1) row = list_.RowCount() - 1;
  RowKeys* keys = KeysOf(row);
  if (!keys || column < 0) return;
  if (static_cast<std::size_t>(column) >= keys->cells.size()) keys->cells.resize(column + 1);
  keys->cells[column] = std::move(key);
}

void SortListCtrl::SetSortText(std::string_view key, int row, int column) { SetKey(MakeTextKey(key), row, column); }

void SortListCtrl::SetSortNumber(int64_t key, int row, int column) { SetKey(key, row, column); }

void SortListCtrl::SetRowTag(int64_t tag, int row) {
  if (RowKeys* keys = KeysOf(row == -1 ? list_.RowCount() - 1 : row)) keys->tag = tag;
}

int64_t SortListCtrl::RowTag(int row) {
  const auto* keys = row >= 0 && row < list_.RowCount() ? reinterpret_cast<const RowKeys*>(list_.RowData(row)) : nullptr;
  return keys ? keys->tag : -1;
}

void SortListCtrl::MarkRow(int row) {
  if (RowKeys* keys = KeysOf(row == -1 ? list_.RowCount() - 1 : row)) keys->marked = true;
}

void SortListCtrl::SortByColumn(int column, bool ascending) {
  if (column >= 0) {
    sortColumn_ = column;
    ascending_ = ascending;
  }
  UpdateHeaderArrows();
  if (sortColumn_ >= 0) {
    ::SendMessageW(list_.Window(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(this),
                   reinterpret_cast<LPARAM>(&SortListCtrl::CompareRows));
  }
  ::InvalidateRect(list_.Window(), nullptr, TRUE);
}

int CALLBACK SortListCtrl::CompareRows(LPARAM first, LPARAM second, LPARAM self) {
  const auto* control = reinterpret_cast<const SortListCtrl*>(self);
  auto keyOf = [control](LPARAM row) -> SortKey {
    const auto* keys = reinterpret_cast<const RowKeys*>(row);
    auto column = static_cast<std::size_t>(control->sortColumn_);
    return keys && column < keys->cells.size() ? keys->cells[column] : SortKey{};
  };
  int order = CompareSortKeys(keyOf(first), keyOf(second));
  return control->ascending_ ? order : -order;
}

void SortListCtrl::UpdateHeaderArrows() {
  if (!header_) return;
  int count = static_cast<int>(::SendMessageW(header_, HDM_GETITEMCOUNT, 0, 0));
  for (int column = 0; column < count; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    ::SendMessageW(header_, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    if (commonControlsVersion_ >= kCommonControls6) {
      item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
      if (column == sortColumn_) item.fmt |= ascending_ ? HDF_SORTUP : HDF_SORTDOWN;
    } else if (column == sortColumn_) {
      item.fmt |= HDF_OWNERDRAW;
    }
    ::SendMessageW(header_, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
  }
  ::InvalidateRect(header_, nullptr, TRUE);
}

void SortListCtrl::ResizeColumns() {
  if (destroying_ || tracking_ || widthPercents_.empty()) return;
  RECT client;
  ::GetClientRect(list_.Window(), &client);
  int grown = (client.right - client.left) - (initialClient_.right - initialClient_.left);
  for (std::size_t column = 0; column < widthPercents_.size(); ++column) {
    if (widthPercents_[column] == -1.0f) continue;
    auto width = static_cast<int>(std::lround(initialWidths_[column] + grown * widthPercents_[column] * 0.01));
    // Posted: the list is in the middle of its own size change.
    ::PostMessageW(list_.Window(), LVM_SETCOLUMNWIDTH, column, MAKELPARAM(std::max(width, 0), 0));
  }
}

// The shade continues below the last row, down to the bottom of the list.
void SortListCtrl::FillSortedStripBelowRows(HDC dc) {
  if (sortColumn_ < 0 || !header_) return;
  RECT column;
  if (!::SendMessageW(header_, HDM_GETITEMRECT, sortColumn_, reinterpret_cast<LPARAM>(&column))) return;
  ::MapWindowPoints(header_, list_.Window(), reinterpret_cast<POINT*>(&column), 2);
  RECT client;
  ::GetClientRect(list_.Window(), &client);
  RECT strip{column.left, column.bottom, column.right, client.bottom};
  if (int rows = list_.RowCount()) {
    RECT last{};
    last.left = LVIR_BOUNDS;
    if (::SendMessageW(list_.Window(), LVM_GETITEMRECT, rows - 1, reinterpret_cast<LPARAM>(&last))) {
      strip.top = std::max(strip.top, last.bottom);
    }
  }
  if (strip.top >= strip.bottom) return;
  HBRUSH brush = ::CreateSolidBrush(kSortedColumnColour);
  ::FillRect(dc, &strip, brush);
  ::DeleteObject(brush);
}

LRESULT SortListCtrl::CustomDraw(NMLVCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      draw.clrTextBk = draw.iSubItem == sortColumn_ ? kSortedColumnColour : ::GetSysColor(COLOR_WINDOW);
      const auto* keys = reinterpret_cast<const RowKeys*>(draw.nmcd.lItemlParam);
      draw.clrText = keys && keys->marked ? kMarkedRowColour : ::GetSysColor(COLOR_WINDOWTEXT);
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

std::optional<LRESULT> SortListCtrl::OnReflectedNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_COLUMNCLICK: {
      int column = reinterpret_cast<NMLISTVIEW&>(header).iSubItem;
      SortByColumn(column, column == sortColumn_ ? !ascending_ : true);
      return 0;
    }
    case NM_CUSTOMDRAW:
      return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_DELETEITEM: {
      auto* keys = reinterpret_cast<RowKeys*>(reinterpret_cast<NMLISTVIEW&>(header).lParam);
      std::erase_if(rows_, [keys](const std::unique_ptr<RowKeys>& row) { return row.get() == keys; });
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

LRESULT SortListCtrl::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND list = list_.Window();
  switch (message) {
    case WM_SIZE: {
      LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
      ResizeColumns();
      return result;
    }
    case WM_ERASEBKGND: {
      LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
      FillSortedStripBelowRows(reinterpret_cast<HDC>(wParam));
      return result;
    }
    case WM_NOTIFY: {
      auto* notify = reinterpret_cast<NMHDR*>(lParam);
      if (notify->hwndFrom == header_) {
        if (notify->code == HDN_BEGINTRACKW || notify->code == HDN_BEGINTRACKA) tracking_ = true;
        if (notify->code == HDN_ENDTRACKW || notify->code == HDN_ENDTRACKA) tracking_ = false;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (draw->CtlType == ODT_HEADER && draw->hwndItem == header_) {
        DrawSortHeaderItem(*draw, static_cast<int>(draw->itemID) == sortColumn_, ascending_);
        return TRUE;
      }
      break;
    }
    case WM_NCDESTROY: {
      LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
      Detach();
      return result;
    }
    default:
      break;
  }
  return ::DefSubclassProc(list, message, wParam, lParam);
}

LRESULT CALLBACK SortListCtrl::ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) {
  try {
    return reinterpret_cast<SortListCtrl*>(self)->OnListMessage(message, wParam, lParam);
  } catch (...) {
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
}
