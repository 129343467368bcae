// The sortable list: key comparison, sorting by header clicks, the header's arrows, column widths.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <string>
#include <vector>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "ui/SortListCtrl.h"
#include "ui/WideText.h"

namespace {

struct CompareCase {
  const char* name;
  SortKey a, b;
  int expected;
};

TEST(SortKeys, NumbersCompareAsSigned64BitValuesAndTextsWithoutCase) {
  const CompareCase cases[] = {
      {"-1 before 0", int64_t{-1}, int64_t{0}, -1},
      {"2^32 after 2^32 - 1", int64_t{1} << 32, (int64_t{1} << 32) - 1, 1},
      {"lowest before highest", int64_t{LLONG_MIN}, int64_t{LLONG_MAX}, -1},
      {"equal numbers", int64_t{18944}, int64_t{18944}, 0},
      {"case is ignored", MakeTextKey("ABC"), MakeTextKey("abc"), 0},
      {"abc before ABD", MakeTextKey("abc"), MakeTextKey("ABD"), -1},
      {"no key before any key", SortKey{}, int64_t{LLONG_MIN}, -1},
  };
  for (const CompareCase& c : cases) EXPECT_EQ(CompareSortKeys(c.a, c.b), c.expected) << c.name;
}

TEST(SortKeys, TextKeysKeepTheirFirst255Characters) {
  std::string base(255, 'k');
  EXPECT_EQ(CompareSortKeys(MakeTextKey(base + "a"), MakeTextKey(base + "z")), 0);
  EXPECT_EQ(std::get<std::wstring>(MakeTextKey(std::string(300, 'k'))).size(), 255u);
  std::string chinese;
  for (int i = 0; i < 300; ++i) chinese += "扇";
  EXPECT_EQ(std::get<std::wstring>(MakeTextKey(chinese)), std::wstring(255, L'扇'));
}

struct Row {
  const char* number;
  int64_t numberKey;
  const char* text;
};

const Row kRows[] = {
    {"2^32", int64_t{1} << 32, "beta"},
    {"-1", -1, "Alpha"},
    {"2^32-1", (int64_t{1} << 32) - 1, "gamma"},
    {"0", 0, "alpha2"},
};

// A sortable list over the tests' list control, with the rows above.
class SortListTest : public ::testing::Test {
 protected:
  void Run(uint32_t commonControlsVersion, const std::function<void(SortListCtrl&, HWND)>& act) {
    TestDialog dialog(ui_.Context());
    SortListCtrl list(commonControlsVersion);
    dialog.onInit = [&](TestDialog& self) {
      list.Attach(self, IDC_TEST_LIST);
      list.List().InsertColumn(0, "数", 80);
      list.List().InsertColumn(1, "文字", 60);
      list.SetColumnTypes({SortKeyType::Number, SortKeyType::Text});
      for (const Row& row : kRows) {
        int index = list.List().AppendRow(row.number);
        list.List().SetCellText(index, 1, row.text);
        list.SetSortNumber(row.numberKey, -1, 0);
        list.SetSortText(row.text, -1, 1);
      }
    };
    RunModalWith(dialog, nullptr, [&](HWND w) { act(list, w); });
  }

  static std::vector<std::string> Column(SortListCtrl& list, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < list.List().RowCount(); ++row) cells.push_back(list.List().CellText(row, column));
    return cells;
  }

  static int HeaderFormat(SortListCtrl& list, int column) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list.List().Window(), LVM_GETHEADER, 0, 0));
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    ::SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt;
  }

  // A user's click on a column's header.
  static void ClickHeader(SortListCtrl& list, int column) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list.List().Window(), LVM_GETHEADER, 0, 0));
    RECT rect{};
    ::SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
    LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageW(header, WM_LBUTTONUP, 0, point);
    PumpMessages(20);
  }

  UiSettings ui_;
};

using Order = std::vector<std::string>;

TEST_F(SortListTest, SortsByTheKeysNotByTheTextsShown) {
  Run(kCommonControls6, [](SortListCtrl& list, HWND) {
    list.SortByColumn(0, true);
    EXPECT_EQ(Column(list, 0), (Order{"-1", "0", "2^32-1", "2^32"}));
    list.SortByColumn(1, false);
    EXPECT_EQ(Column(list, 1), (Order{"gamma", "beta", "alpha2", "Alpha"}));
    list.SortByColumn(-1, true);
    EXPECT_EQ(Column(list, 1), (Order{"gamma", "beta", "alpha2", "Alpha"})) << "a negative column only sorts again";
  });
}

TEST_F(SortListTest, HeaderClicksSortAscendingThenFlipTheDirection) {
  Run(kCommonControls6, [](SortListCtrl& list, HWND) {
    ClickHeader(list, 0);
    EXPECT_EQ(Column(list, 0), (Order{"-1", "0", "2^32-1", "2^32"}));
    ClickHeader(list, 0);
    EXPECT_EQ(Column(list, 0), (Order{"2^32", "2^32-1", "0", "-1"}));
    ClickHeader(list, 1);
    EXPECT_EQ(Column(list, 1), (Order{"Alpha", "alpha2", "beta", "gamma"})) << "another column starts ascending";
    EXPECT_EQ(list.SortColumn(), 1);
    EXPECT_TRUE(list.Ascending());
  });
}

TEST_F(SortListTest, CommonControls6ShowTheSystemsArrowOnTheSortedColumnOnly) {
  Run(kCommonControls6, [](SortListCtrl& list, HWND) {
    list.SortByColumn(0, true);
    EXPECT_EQ(HeaderFormat(list, 0) & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTUP);
    EXPECT_EQ(HeaderFormat(list, 1) & (HDF_SORTUP | HDF_SORTDOWN), 0);
    list.SortByColumn(1, false);
    EXPECT_EQ(HeaderFormat(list, 0) & (HDF_SORTUP | HDF_SORTDOWN), 0);
    EXPECT_EQ(HeaderFormat(list, 1) & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTDOWN);
    EXPECT_EQ(HeaderFormat(list, 1) & HDF_OWNERDRAW, 0);
  });
}

TEST_F(SortListTest, OlderCommonControlsGetTheArrowDrawnByTheList) {
  Run(0x50050, [](SortListCtrl& list, HWND) {
    list.SortByColumn(1, true);
    EXPECT_EQ(HeaderFormat(list, 1) & HDF_OWNERDRAW, HDF_OWNERDRAW);
    EXPECT_EQ(HeaderFormat(list, 0) & HDF_OWNERDRAW, 0);
    EXPECT_EQ(HeaderFormat(list, 1) & (HDF_SORTUP | HDF_SORTDOWN), 0);
  });
}

TEST_F(SortListTest, AColumnAt100PercentTakesAllTheWidthTheListGains) {
  Run(kCommonControls6, [](SortListCtrl& list, HWND) {
    list.SetColumnWidthPercent(0, 100.0f);
    HWND window = list.List().Window();
    int first = list.List().ColumnWidth(0), second = list.List().ColumnWidth(1);
    RECT rect = WindowRectOf(window);
    ::SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + 50, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages(30);
    EXPECT_EQ(list.List().ColumnWidth(0), first + 50);
    EXPECT_EQ(list.List().ColumnWidth(1), second);
  });
}

TEST_F(SortListTest, ALongTextIsShownWholeThoughItsKeyIsCut) {
  Run(kCommonControls6, [](SortListCtrl& list, HWND) {
    std::string text(300, 'w');
    int row = list.List().AppendRow("long");
    list.List().SetCellText(row, 1, text);
    list.SetSortText(text, -1, 1);
    EXPECT_EQ(list.List().CellText(row, 1), text);
  });
}

}  // namespace
