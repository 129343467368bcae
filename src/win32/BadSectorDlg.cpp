#include "win32/BadSectorDlg.h"

#include <commctrl.h>

#include <utility>

#include "base/Texts.h"
#include "win32/BadSectorDlgRes.h"
#include "win32/DamageMapPainter.h"

namespace {

constexpr int kSectorColumn = 0;
constexpr int kSideColumn = 1;
constexpr int kSectorColumnWidth = 211;
constexpr int kSideColumnWidth = 70;

struct ResizeRule {
  int id, left, top, width, height;
};

constexpr ResizeRule kResizeRules[] = {
    {IDC_BAD_STATISTICS_GROUP, 0, 0, 100, 0}, {IDC_BAD_TOTAL, 0, 0, 100, 0},
    {IDC_BAD_SIZE, 0, 0, 100, 0},             {IDC_BAD_DISTRIBUTION, 0, 0, 100, 0},
    {IDC_BAD_MAP_GROUP, 0, 0, 100, 0},        {IDC_BAD_MAP, 0, 0, 100, 0},
    {IDOK, 50, 100, 0, 0},                    {IDC_BAD_ACCOUNT, 0, 100, 0, 0},
};
// The two lists share the height the window gains.
constexpr ResizeRule kSectorsOnlyRules[] = {{IDC_BAD_DETAILS_GROUP, 0, 0, 100, 100}, {IDC_BAD_LIST, 0, 0, 100, 100}};
constexpr ResizeRule kWithFilesRules[] = {
    {IDC_BAD_DETAILS_GROUP, 0, 0, 100, 50}, {IDC_BAD_LIST, 0, 0, 100, 50},
    {IDC_BAD_FILES_GROUP, 0, 50, 100, 50},  {IDC_BAD_FILES_AREAS, 0, 50, 100, 0},
    {IDC_BAD_FILES_LIST, 0, 50, 100, 50},
};
constexpr int kFileColumn = 0;
constexpr int kStateColumn = 1;

}  // namespace

CBadSectorDlg::CBadSectorDlg(const DialogContext& context, BadSectorReportModel report)
    : CMyDialog(IDD_BAD_SECTORS, context), report_(std::move(report)) {}

bool CBadSectorDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  ComputeLayoutScale(kDesignWidth, kDesignHeight);
  if (report_.account.empty()) ::ShowWindow(Item(IDC_BAD_ACCOUNT), SW_HIDE);
  if (!report_.files) LeaveOutFiles();
  Resizer().SetEnabled(true);
  for (const ResizeRule& rule : kResizeRules) Resizer().Add(rule.id, rule.left, rule.top, rule.width, rule.height);
  if (report_.files) {
    for (const ResizeRule& rule : kWithFilesRules) Resizer().Add(rule.id, rule.left, rule.top, rule.width, rule.height);
  } else {
    for (const ResizeRule& rule : kSectorsOnlyRules) Resizer().Add(rule.id, rule.left, rule.top, rule.width, rule.height);
  }

  list_.Attach(*this, IDC_BAD_LIST);
  list_.List().AddExtendedStyles(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_HEADERDRAGDROP);
  list_.List().InsertColumn(kSectorColumn, kTextReportColumnSector, static_cast<int>(kSectorColumnWidth * ScaleX()));
  list_.List().InsertColumn(kSideColumn, kTextReportColumnSide, static_cast<int>(kSideColumnWidth * ScaleX()));
  list_.SetColumnTypes({SortKeyType::Number, SortKeyType::Text});
  list_.SetColumnWidthPercent(kSectorColumn, 100.0f);

  if (report_.files) FillFiles();
  CenterOverOwner();
  FillList();
  SetItemText(IDC_BAD_TOTAL, report_.total);
  SetItemText(IDC_BAD_SIZE, report_.size);
  SetItemText(IDC_BAD_DISTRIBUTION, report_.distribution);
  return true;
}

void CBadSectorDlg::FillList() {
  ListView& list = list_.List();
  list.SetRedraw(false);
  for (const BadSectorRow& row : report_.rows) {
    int index = list.AppendRow(row.sectorText);
    list.SetCellText(index, kSideColumn, row.sideText);
    list_.SetSortNumber(row.sortKey, index, kSectorColumn);
    list_.SetSortText(row.sideText, index, kSideColumn);
  }
  list.SetRedraw(true);
  list_.SortByColumn(kSectorColumn, true);
}

void CBadSectorDlg::FillFiles() {
  SetItemText(IDC_BAD_FILES_AREAS, report_.files->areas);
  filesList_.Attach(*this, IDC_BAD_FILES_LIST);
  ListView& list = filesList_.List();
  list.AddExtendedStyles(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_HEADERDRAGDROP);
  list.InsertColumn(kFileColumn, kTextFilesColumnPath, static_cast<int>(kSectorColumnWidth * ScaleX()));
  list.InsertColumn(kStateColumn, kTextFilesColumnState, static_cast<int>(kSideColumnWidth * ScaleX()));
  filesList_.SetColumnTypes({SortKeyType::Text, SortKeyType::Number});
  filesList_.SetColumnWidthPercent(kFileColumn, 100.0f);
  list.SetRedraw(false);
  for (const FileRow& row : report_.files->rows) {
    int index = list.AppendRow(row.name);
    list.SetCellText(index, kStateColumn, row.state);
    filesList_.SetSortText(row.nameKey, index, kFileColumn);
    filesList_.SetSortNumber(row.stateKey, index, kStateColumn);
    filesList_.MarkRow(index);
  }
  list.SetRedraw(true);
  filesList_.SortByColumn(kFileColumn, true);
}

void CBadSectorDlg::LeaveOutFiles() {
  for (int id : {IDC_BAD_FILES_GROUP, IDC_BAD_FILES_AREAS, IDC_BAD_FILES_LIST}) ::ShowWindow(Item(id), SW_HIDE);
  auto rectOf = [this](int id) {
    RECT rect{};
    ::GetWindowRect(Item(id), &rect);
    return rect;
  };
  const RECT details = rectOf(IDC_BAD_DETAILS_GROUP), files = rectOf(IDC_BAD_FILES_GROUP);
  // The buttons keep their distance below the lowest group.
  const int shift = files.bottom - details.bottom;
  for (int id : {IDOK, IDC_BAD_ACCOUNT}) {
    const RECT button = rectOf(id);
    POINT at{button.left, button.top - shift};
    ::ScreenToClient(Window(), &at);
    ::SetWindowPos(Item(id), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT window{};
  ::GetWindowRect(Window(), &window);
  ::SetWindowPos(Window(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top - shift,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Resizer().SetMinimumTrackingSize();
}

bool CBadSectorDlg::OnCommand(int id, int code, HWND control) {
  if (id == IDC_BAD_ACCOUNT && code == BN_CLICKED) {
    CCaptureAccountDlg(Context(), report_.account).RunModal(Window());
    return true;
  }
  return CMyDialog::OnCommand(id, code, control);
}

std::optional<LRESULT> CBadSectorDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM && wParam == IDC_BAD_MAP) {
    PaintMap(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  std::optional<LRESULT> result = CMyDialog::WindowProc(message, wParam, lParam);
  // The map's cells follow its width: a static control only repaints what a resize uncovered.
  if (message == WM_SIZE) ::InvalidateRect(Item(IDC_BAD_MAP), nullptr, FALSE);
  return result;
}

void CBadSectorDlg::PaintMap(const DRAWITEMSTRUCT& item) const {
  RECT area = item.rcItem;
  int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  // Drawn off screen first: thousands of cells painted one by one would flicker while the window is resized.
  HDC memory = ::CreateCompatibleDC(item.hDC);
  HBITMAP bitmap = memory ? ::CreateCompatibleBitmap(item.hDC, width, height) : nullptr;
  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  if (!bitmap) {
    if (memory) ::DeleteDC(memory);
    PaintDamageMap(item.hDC, area, report_.map, font);
    return;
  }
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  PaintDamageMap(memory, {0, 0, width, height}, report_.map, font);
  ::BitBlt(item.hDC, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
}

CCaptureAccountDlg::CCaptureAccountDlg(const DialogContext& context, std::vector<std::string> lines)
    : CMyDialog(IDD_CAPTURE_ACCOUNT, context), lines_(std::move(lines)) {}

bool CCaptureAccountDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  Resizer().SetEnabled(true);
  Resizer().Add(IDC_ACCOUNT_TEXT, 0, 0, 100, 100);
  Resizer().Add(IDOK, 50, 100, 0, 0);
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  SetItemText(IDC_ACCOUNT_TEXT, text);
  CenterOverOwner();
  // The first lines shown, nothing selected: the focus on an edit control would select all of it.
  ::SetFocus(Item(IDOK));
  return false;
}
