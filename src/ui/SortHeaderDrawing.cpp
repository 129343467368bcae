// The header of a sortable list under common controls older than 6.0, which have no sort arrows of their own.
#include "ui/SortListCtrl.h"

#include <commctrl.h>

namespace {

void DrawLine(HDC dc, int colourIndex, POINT from, POINT to) {
  HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(colourIndex));
  HGDIOBJ old = ::SelectObject(dc, pen);
  ::MoveToEx(dc, from.x, from.y, nullptr);
  ::LineTo(dc, to.x, to.y);
  ::SelectObject(dc, old);
  ::DeleteObject(pen);
}

// An engraved triangle: outlined in the shadow colour, with the highlight one pixel below and right of the
// sides that face away from the light, so that it shows on light and dark button faces alike.
void DrawTriangle(HDC dc, const RECT& item, int quarter, bool ascending) {
  int left = item.right - 3 * quarter;
  int right = item.right - quarter;
  int middle = (left + right) / 2;
  int top = item.top + quarter;
  int bottom = item.bottom - quarter;
  POINT apex = ascending ? POINT{middle, top} : POINT{middle, bottom};
  int base = ascending ? bottom : top;
  DrawLine(dc, COLOR_BTNHIGHLIGHT, {apex.x + 1, apex.y + 1}, {right + 1, base + 1});
  if (ascending) DrawLine(dc, COLOR_BTNHIGHLIGHT, {left + 1, base + 1}, {right + 2, base + 1});
  DrawLine(dc, COLOR_BTNSHADOW, apex, {left, base});
  DrawLine(dc, COLOR_BTNSHADOW, apex, {right, base});
  DrawLine(dc, COLOR_BTNSHADOW, {left, base}, {right + 1, base});
}

UINT AlignmentOf(int format) {
  switch (format & HDF_JUSTIFYMASK) {
    case HDF_CENTER: return DT_CENTER;
    case HDF_RIGHT: return DT_RIGHT;
    default: return DT_LEFT;
  }
}

}  // namespace

void DrawSortHeaderItem(const DRAWITEMSTRUCT& draw, bool sorted, bool ascending) {
  wchar_t caption[256] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = caption;
  item.cchTextMax = static_cast<int>(std::size(caption));
  ::SendMessageW(draw.hwndItem, HDM_GETITEMW, draw.itemID, reinterpret_cast<LPARAM>(&item));

  HDC dc = draw.hDC;
  RECT frame = draw.rcItem;
  ::FillRect(dc, &frame, ::GetSysColorBrush(COLOR_BTNFACE));
  ::DrawEdge(dc, &frame, (draw.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT);

  int quarter = (draw.rcItem.bottom - draw.rcItem.top) / 4;
  RECT text = draw.rcItem;
  if (draw.itemState & ODS_SELECTED) {
    ::OffsetRect(&text, 1, 0);
    text.top += 2;
  }
  if (sorted) text.right -= 3 * quarter;
  ::InflateRect(&text, -(quarter + 2), 0);
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  ::DrawTextW(dc, caption, -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | AlignmentOf(item.fmt));
  ::SetBkMode(dc, oldMode);
  if (sorted) DrawTriangle(dc, draw.rcItem, quarter, ascending);
}
