// The toolkit's own dialogs as the user sees and uses them: their texts, and what their buttons do.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "app/CommandLine.h"
#include "base/JobEvents.h"
#include "base/Texts.h"
#include "app/BadSectorReport.h"
#include "ui/ProgressDlg.h"
#include "ui/ProgressDlgRes.h"
#include "ui/WideText.h"
#include "win32/BadSectorDlg.h"
#include "win32/BadSectorDlgRes.h"
#include "win32/CommandLineHelpDlg.h"
#include "win32/DamageMapPainter.h"
#include "win32/CommandLineHelpDlgRes.h"
#include "win32/ConversionDlg.h"
#include "win32/ConversionDlgRes.h"
#include "win32/DescriptionDlg.h"
#include "win32/DescriptionDlgRes.h"

namespace {

struct ShownText {
  int id;  // 0: the caption
  std::string text;
};

struct DialogCase {
  const char* name;
  std::function<std::unique_ptr<CMyDialog>(const DialogContext&)> make;
  std::vector<ShownText> texts;
};

std::string TextShown(HWND dialog, int id) { return ReadWindowText(id ? ::GetDlgItem(dialog, id) : dialog); }

OperationProgress& NoProgress() {
  static OperationProgress progress;
  return progress;
}

std::vector<ShownText> HelpTexts() {
  std::vector<ShownText> texts = {{0, kTextHelpCaption}, {IDC_HELP_USAGE_GROUP, kTextHelpGroup}, {IDOK, kTextOk}};
  std::vector<std::string> lines = CommandLineHelpLines();
  for (std::size_t i = 0; i < lines.size(); ++i) texts.push_back({IDC_HELP_FIRST_LINE + static_cast<int>(i), lines[i]});
  return texts;
}

TEST(ToolkitDialogs, ShowTheirCaptionsLabelsAndContent) {
  const DialogCase cases[] = {
      {"help", [](const DialogContext& c) { return std::make_unique<CCommandLineHelpDlg>(c); }, HelpTexts()},
      {"description",
       [](const DialogContext& c) {
         return std::make_unique<CDescriptionDlg>(c, "C:\\映像\\启动盘.imz", "我的启动盘", nullptr);
       },
       {{0, kTextDescriptionDlgCaption},
        {IDC_DESCRIPTION_PATH_LABEL, kTextFileNameLabel},
        {IDC_DESCRIPTION_PATH, "C:\\映像\\启动盘.imz"},
        {IDC_DESCRIPTION_TEXT_LABEL, kTextDescriptionDlgLabel},
        {IDC_DESCRIPTION_TEXT, "我的启动盘"},
        {IDOK, kTextOk},
        {IDCANCEL, kTextCancel}}},
      {"conversion", [](const DialogContext& c) { return std::make_unique<CConversionDlg>(c); },
       {{0, kTextConversionDlgCaption}, {IDC_CONVERSION_STATUS, ""}}},
      {"progress", [](const DialogContext& c) { return std::make_unique<CProgressDlg>(c, NoProgress()); },
       {{0, kTextProgressDlgCaption},
        {IDC_PROGRESS_GROUP, kTextProgressStatusGroup},
        {IDC_PROGRESS_STATUS, kTextGettingDiskInfo},
        {IDC_PROGRESS_SPEED, kTextNothingCopiedYet},
        {IDCANCEL, kTextCancel}}},
      {"bad sectors",
       [](const DialogContext& c) {
         return std::make_unique<CBadSectorDlg>(c, BuildBadSectorReport({}, FloppyGeometry{80, 18}));
       },
       {{0, kTextReportCaption},
        {IDC_BAD_STATISTICS_GROUP, kTextReportStatisticsGroup},
        {IDC_BAD_TOTAL_LABEL, kTextReportTotalLabel},
        {IDC_BAD_TOTAL, "0 / 2880 (0.00%)"},
        {IDC_BAD_SIZE_LABEL, kTextReportSizeLabel},
        {IDC_BAD_SIZE, "0.0kB / 1440kB"},
        {IDC_BAD_DISTRIBUTION_LABEL, kTextReportDistributionLabel},
        {IDC_BAD_DISTRIBUTION, "0 高 (0%) - 0 低 (0%)"},
        {IDC_BAD_MAP_GROUP, kTextMapGroup},
        {IDC_BAD_DETAILS_GROUP, kTextReportDetailsGroup},
        {IDOK, kTextOk}}},
  };
  for (const DialogCase& c : cases) {
    UiSettings ui;
    std::unique_ptr<CMyDialog> dialog = c.make(ui.Context());
    RunModalWith(*dialog, nullptr, [&](HWND w) {
      for (const ShownText& shown : c.texts) EXPECT_EQ(TextShown(w, shown.id), shown.text) << c.name << " " << shown.id;
    });
  }
}

TEST(DescriptionDialog, OkStoresTheEditedDescriptionAndAFailedStoreKeepsTheDialogOpen) {
  UiSettings ui;
  std::vector<std::string> stored;
  bool storeSucceeds = false;
  CDescriptionDlg dialog(ui.Context(), "a.img", "旧的描述", [&](const std::string& description) {
    stored.push_back(description);
    return storeSucceeds;
  });
  bool openAfterFailure = false;
  INT_PTR result = RunModalWith(dialog, nullptr, [&](HWND w) {
    WriteWindowText(::GetDlgItem(w, IDC_DESCRIPTION_TEXT), "新的描述");
    ::SendDlgItemMessageW(w, IDOK, BM_CLICK, 0, 0);
    openAfterFailure = !dialog.Ended();
    storeSucceeds = true;
    ::SendDlgItemMessageW(w, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(openAfterFailure);
  EXPECT_EQ(stored, (std::vector<std::string>{"新的描述", "新的描述"}));
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dialog.Description(), "新的描述");
}

TEST(DescriptionDialog, StartsInTheDescriptionAndCancelStoresNothing) {
  UiSettings ui;
  int stores = 0;
  CDescriptionDlg dialog(ui.Context(), "a.img", "描述", [&](const std::string&) { return ++stores > 0; });
  bool pathReadOnly = false;
  bool focusInDescription = false;
  INT_PTR result = RunModalWith(dialog, nullptr, [&](HWND w) {
    pathReadOnly = ::GetWindowLongPtrW(::GetDlgItem(w, IDC_DESCRIPTION_PATH), GWL_STYLE) & ES_READONLY;
    focusInDescription = ::GetFocus() == ::GetDlgItem(w, IDC_DESCRIPTION_TEXT);
    ::SendDlgItemMessageW(w, IDCANCEL, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(stores, 0);
  EXPECT_TRUE(pathReadOnly);
  EXPECT_TRUE(focusInDescription);
}

TEST(ConversionDialog, ShowsTheJobsStageIgnoresEscAndClosesAtTheEnd) {
  UiSettings ui;
  CConversionDlg dialog(ui.Context());
  std::vector<std::string> statuses;
  bool openAfterEsc = false;
  INT_PTR result = RunModalWith(dialog, nullptr, [&](HWND w) {
    dialog.OnConversionEvent(JobStep::Loading);
    statuses.push_back(TextShown(w, IDC_CONVERSION_STATUS));
    dialog.OnConversionEvent(JobStep::Saving);
    statuses.push_back(TextShown(w, IDC_CONVERSION_STATUS));
    ::PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages(30);
    openAfterEsc = !dialog.Ended();
    dialog.OnConversionEvent(JobStep::Ended);
  });
  EXPECT_EQ(statuses, (std::vector<std::string>{TextOf(kTextReadingImageFile), TextOf(kTextWritingImageFile)}));
  EXPECT_TRUE(openAfterEsc);
  EXPECT_EQ(result, 0);
}

class ProgressDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    progress_.percent = 42;
    progress_.kbDone = 605;
    progress_.totalText.Set("1440 kB");
    progress_.speedText.Set("23.5");
  }
  int BarPosition(HWND w) { return static_cast<int>(::SendDlgItemMessageW(w, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0)); }

  UiSettings ui_;
  OperationProgress progress_;
};

struct EventCase {
  JobEvent event;
  const char* status;
  const char* speed;
};

TEST_F(ProgressDialogTest, ShowsTheJobsProgressFields) {
  const EventCase cases[] = {
      {{JobKind::Read, JobStep::Progress}, "正在读取软盘 (1440 kB)", "605 KB 已被复制 (23.5 KB/秒)"},
      {{JobKind::Write, JobStep::Progress}, "正在写入软盘 (1440 kB)", "605 KB 已被复制 (23.5 KB/秒)"},
      {{JobKind::Write, JobStep::SideFormatted}, "正在格式化软盘 (1440 kB)", "605 kB 已经格式化 (23.5 kB/秒)"},
  };
  for (const EventCase& c : cases) {
    CProgressDlg dialog(ui_.Context(), progress_);
    RunModalWith(dialog, nullptr, [&](HWND w) {
      EXPECT_EQ(::SendDlgItemMessageW(w, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, 0), 100);
      dialog.OnJobEvent(c.event);
      EXPECT_EQ(TextShown(w, IDC_PROGRESS_STATUS), c.status);
      EXPECT_EQ(TextShown(w, IDC_PROGRESS_SPEED), c.speed);
      EXPECT_EQ(BarPosition(w), 42);
      EXPECT_EQ(TextShown(w, 0), "进展 [42%]");
    });
  }
}

TEST_F(ProgressDialogTest, TheJobsEndClosesItWithTheOutcome) {
  for (auto [step, expected] : {std::pair{JobStep::Succeeded, 1}, std::pair{JobStep::Failed, -1}}) {
    CProgressDlg dialog(ui_.Context(), progress_);
    EXPECT_EQ(RunModalWith(dialog, nullptr, [&](HWND) { dialog.OnJobEvent({JobKind::Read, step}); }), expected);
  }
}

struct CancelCase {
  const char* name;
  std::function<void(HWND)> cancel;
};

TEST_F(ProgressDialogTest, CancelAsksTheJobToStopAndWaitsForItsEnd) {
  const CancelCase cases[] = {
      {"cancel button", [](HWND w) { ::SendDlgItemMessageW(w, IDCANCEL, BM_CLICK, 0, 0); }},
      {"Esc",
       [](HWND w) {
         ::PostMessageW(::GetDlgItem(w, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
         PumpMessages(30);
       }},
      {"close box",
       [](HWND w) {
         ::SendMessageW(w, WM_CLOSE, 0, 0);
         PumpMessages(30);
       }},
  };
  for (const CancelCase& c : cases) {
    progress_.cancelRequested = false;
    CProgressDlg dialog(ui_.Context(), progress_);
    INT_PTR result = RunModalWith(dialog, nullptr, [&](HWND w) {
      dialog.OnJobEvent({JobKind::Read, JobStep::Progress});
      c.cancel(w);
      EXPECT_TRUE(progress_.cancelRequested) << c.name;
      EXPECT_FALSE(dialog.Ended()) << c.name;
      EXPECT_EQ(TextShown(w, IDC_PROGRESS_STATUS), kTextCancelling) << c.name;
      EXPECT_EQ(BarPosition(w), 100) << c.name;
      EXPECT_EQ(TextShown(w, 0), kTextCancelledCaption) << c.name;
      dialog.OnJobEvent({JobKind::Read, JobStep::Progress});
      EXPECT_EQ(TextShown(w, IDC_PROGRESS_STATUS), kTextCancelling) << c.name << ": progress after the cancel";
      EXPECT_EQ(BarPosition(w), 100) << c.name << ": progress after the cancel";
      dialog.OnJobEvent({JobKind::Read, JobStep::Failed});
    });
    EXPECT_EQ(result, -1) << c.name;
  }
}

using Rows = std::vector<std::vector<std::string>>;

Rows RowsShown(CBadSectorDlg& dialog) {
  Rows rows;
  ListView& list = dialog.List().List();
  for (int row = 0; row < list.RowCount(); ++row) rows.push_back({list.CellText(row, 0), list.CellText(row, 1)});
  return rows;
}

TEST(BadSectorDialog, ListsTheSectorsByOffsetAndSortsByTheClickedColumn) {
  UiSettings ui;
  CBadSectorDlg dialog(ui.Context(), BuildBadSectorReport({1024, 0, 512}, FloppyGeometry{80, 18}));
  Rows initial, bySide;
  std::string distribution;
  RunModalWith(dialog, nullptr, [&](HWND w) {
    initial = RowsShown(dialog);
    distribution = TextShown(w, IDC_BAD_DISTRIBUTION);
    NMLISTVIEW click{};
    click.hdr = {::GetDlgItem(w, IDC_BAD_LIST), IDC_BAD_LIST, LVN_COLUMNCLICK};
    click.iSubItem = 1;
    ::SendMessageW(w, WM_NOTIFY, IDC_BAD_LIST, reinterpret_cast<LPARAM>(&click));
    bySide = RowsShown(dialog);
  });
  EXPECT_EQ(initial, (Rows{{"1 / 0 字节 (0.0 kB)", "高"}, {"2 / 512 字节 (0.5 kB)", "低"}, {"3 / 1024 字节 (1.0 kB)", "高"}}));
  EXPECT_EQ(distribution, "2 高 (66%) - 1 低 (33%)");
  ASSERT_EQ(bySide.size(), 3u);
  int sideChanges = (bySide[0][1] != bySide[1][1]) + (bySide[1][1] != bySide[2][1]);
  EXPECT_EQ(sideChanges, 1) << "the rows of one side are next to each other";
}

TEST(BadSectorDialog, GrowingTheReportWidensTheListAndKeepsOkCentred) {
  UiSettings ui;
  CBadSectorDlg dialog(ui.Context(), BuildBadSectorReport({0}, FloppyGeometry{80, 18}));
  RunModalWith(dialog, nullptr, [&](HWND w) {
    RECT list = ControlRect(w, IDC_BAD_LIST), ok = ControlRect(w, IDOK);
    int sectorColumn = dialog.List().List().ColumnWidth(0), sideColumn = dialog.List().List().ColumnWidth(1);
    ResizeWindowBy(w, 80, 40);
    PumpMessages(30);
    RECT list2 = ControlRect(w, IDC_BAD_LIST), ok2 = ControlRect(w, IDOK);
    EXPECT_EQ(list2.right - list2.left, list.right - list.left + 80);
    EXPECT_EQ(list2.bottom - list2.top, list.bottom - list.top + 40);
    EXPECT_EQ(ok2.left - ok.left, 40);
    EXPECT_EQ(ok2.top - ok.top, 40);
    EXPECT_EQ(dialog.List().List().ColumnWidth(0), sectorColumn + 80) << "the sector column takes the extra width";
    EXPECT_EQ(dialog.List().List().ColumnWidth(1), sideColumn);
  });
}

// After a capture the report offers what decoding saw, in a window of its own; after a read it does not.
TEST(BadSectorDialog, OnlyACapturesReportShowsWhatDecodingSaw) {
  UiSettings ui;
  CBadSectorDlg read(ui.Context(), BuildBadSectorReport({0}, FloppyGeometry{80, 18}));
  RunModalWith(read, nullptr, [&](HWND w) { EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(w, IDC_BAD_ACCOUNT))); });

  BadSectorReportModel report = BuildBadSectorReport({0}, FloppyGeometry{80, 18});
  report.account = {"第 0 磁轨第 0 面: 3 圈，18 个扇区", "第 0 磁轨第 1 面: 3 圈，17 个扇区"};
  CBadSectorDlg capture(ui.Context(), report);
  std::string shown;
  RunModalWith(capture, nullptr, [&](HWND w) {
    HWND button = ::GetDlgItem(w, IDC_BAD_ACCOUNT);
    EXPECT_TRUE(::IsWindowVisible(button) && ::IsWindowEnabled(button));
    EXPECT_EQ(ControlRect(w, IDC_BAD_ACCOUNT).top, ControlRect(w, IDOK).top) << "beside OK, also without files";
    ActInNextLoop([&] {
      HWND account = ::FindWindowW(L"#32770", L"解码记录");
      if (!account) return;
      shown = TextShown(account, IDC_ACCOUNT_TEXT);
      ::PostMessageW(account, WM_COMMAND, IDOK, 0);
    });
    ::SendMessageW(button, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(shown, "第 0 磁轨第 0 面: 3 圈，18 个扇区\r\n第 0 磁轨第 1 面: 3 圈，17 个扇区\r\n");
}

// Where cells of one colour are on a map painted at the size the report gives it.
struct Painted {
  int pixels = 0;
  RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};

std::map<COLORREF, Painted> PaintedColours(const DamageMap& map, SIZE size, HFONT font) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::map<COLORREF, Painted> colours;
  if (!dc || !bitmap) return colours;
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  PaintDamageMap(dc, {0, 0, size.cx, size.cy}, map, font);
  ::GdiFlush();
  const auto* pixel = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      uint32_t p = pixel[y * size.cx + x];
      Painted& painted = colours[RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF)];
      painted.pixels += 1;
      painted.box = {std::min<LONG>(painted.box.left, x), std::min<LONG>(painted.box.top, y),
                     std::max<LONG>(painted.box.right, x + 1), std::max<LONG>(painted.box.bottom, y + 1)};
    }
  }
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return colours;
}

TEST(BadSectorDialog, TheMapSitsBetweenStatisticsAndListAndFollowsTheWidth) {
  UiSettings ui;
  CBadSectorDlg dialog(ui.Context(), BuildBadSectorReport({0, 18944}, FloppyGeometry{80, 18}));
  RunModalWith(dialog, nullptr, [&](HWND w) {
    HWND map = ::GetDlgItem(w, IDC_BAD_MAP);
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(::IsWindowVisible(map));
    EXPECT_EQ(::GetWindowLongW(map, GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW);
    RECT statistics = ControlRect(w, IDC_BAD_STATISTICS_GROUP), group = ControlRect(w, IDC_BAD_MAP_GROUP),
         area = ControlRect(w, IDC_BAD_MAP), details = ControlRect(w, IDC_BAD_DETAILS_GROUP);
    EXPECT_GE(group.top, statistics.bottom);
    EXPECT_TRUE(area.left > group.left && area.top > group.top && area.right < group.right && area.bottom < group.bottom);
    EXPECT_LE(group.bottom, details.top);
    // 80 tracks of at least 4 pixels, 2 x 21 sectors of at least 3, axis and legend.
    EXPECT_GE(area.right - area.left, 80 * 4 + 60);
    EXPECT_GE(area.bottom - area.top, 2 * 21 * 3 + 40);
    RECT window = WindowRectOf(w);
    EXPECT_LE(window.bottom - window.top, 740) << "fits a 1024 x 768 screen";
    ResizeWindowBy(w, 80, 40);
    PumpMessages(30);
    RECT grown = ControlRect(w, IDC_BAD_MAP);
    EXPECT_EQ(grown.right - grown.left, area.right - area.left + 80);
    EXPECT_EQ(grown.bottom - grown.top, area.bottom - area.top);
  });
}

TEST(BadSectorDialog, TheMapShowsTheFirstAndLastSectorOfEveryFormatInsideItsArea) {
  UiSettings ui;
  CBadSectorDlg dialog(ui.Context(), BuildBadSectorReport({}, FloppyGeometry{80, 18}));
  RunModalWith(dialog, nullptr, [&](HWND w) {
    HWND control = ::GetDlgItem(w, IDC_BAD_MAP);
    RECT client = ClientRectOf(control);
    SIZE size{client.right, client.bottom};
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    for (FloppyGeometry geometry : {FloppyGeometry{40, 9}, FloppyGeometry{80, 8}, FloppyGeometry{80, 15},
                                    FloppyGeometry{80, 18}, FloppyGeometry{80, 21}}) {
      SCOPED_TRACE(std::to_string(geometry.tracks) + " x " + std::to_string(geometry.sectorsPerTrack));
      // The legend of a write has neither colour: each stands for exactly one cell.
      DamageMap map(geometry, SectorState::Recreated);
      map.Mark(0, SectorState::Recovered);
      map.Mark(static_cast<uint32_t>((geometry.TotalSectors() - 1) * 512), SectorState::Bad);
      std::map<COLORREF, Painted> colours = PaintedColours(map, size, font);
      Painted first = colours[ColourOfSectorState(SectorState::Recovered)];
      Painted last = colours[ColourOfSectorState(SectorState::Bad)];
      EXPECT_GE(first.pixels, 3 * 2);
      EXPECT_EQ(first.pixels, last.pixels) << "cells of one size";
      EXPECT_EQ(first.pixels, (first.box.right - first.box.left) * (first.box.bottom - first.box.top)) << "one cell";
      EXPECT_LT(first.box.right, size.cx / 3);
      EXPECT_LT(first.box.bottom, size.cy / 2);
      EXPECT_GT(last.box.left, size.cx * 2 / 3);
      EXPECT_GT(last.box.top, size.cy / 3);
      EXPECT_LE(last.box.right, size.cx);
      Painted good = colours[ColourOfSectorState(SectorState::Good)];
      Painted recreated = colours[ColourOfSectorState(SectorState::Recreated)];
      EXPECT_GT(good.pixels, first.pixels * static_cast<int>(geometry.TotalSectors() - 3));
      EXPECT_GT(recreated.pixels, 0) << "the legend's swatch";
      EXPECT_GT(recreated.box.top, last.box.bottom) << "the legend below the map";
    }
  });
}

}  // namespace
