// The feedback form's lists from inside: Delete in a dropped-down list removes the highlighted entry.
#include <gtest/gtest.h>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "win32/FeedbackDlg.h"
#include "win32/FeedbackDlgRes.h"

namespace {

// Nothing is ever sent in these tests.
class NoClient : public IHttpClient {
 public:
  HttpReply Get(const ServerAddress&, std::string_view) override { return {}; }
  HttpReply Post(const ServerAddress&, std::string_view, std::string_view) override { return {}; }
  void Abort() override {}
};

TEST(FeedbackDlg, DeleteInADroppedDownListRemovesTheHighlightedEntryOnly) {
  UiSettings ui;
  InternetServices services{[] { return std::make_unique<NoClient>(); }, [] { return true; }, {"h", 80}};
  CFeedbackDlg dialog(ui.Context(), services);
  LRESULT before = -1, after = -1, closedAfter = -1;
  RunModalWithSteps(dialog, nullptr,
                    {[&](HWND window) {
                       HWND about = ::GetDlgItem(window, IDC_FEEDBACK_ABOUT);
                       before = ::SendMessageW(about, CB_GETCOUNT, 0, 0);
                       ::SetFocus(about);
                       ::SendMessageW(about, CB_SHOWDROPDOWN, TRUE, 0);
                       ::SendMessageW(about, CB_SETCURSEL, 1, 0);
                       ::PostMessageW(about, WM_KEYDOWN, VK_DELETE, 0);
                     },
                     [&](HWND window) {
                       HWND about = ::GetDlgItem(window, IDC_FEEDBACK_ABOUT);
                       after = ::SendMessageW(about, CB_GETCOUNT, 0, 0);
                       ::SendMessageW(about, CB_SHOWDROPDOWN, FALSE, 0);
                       ::PostMessageW(about, WM_KEYDOWN, VK_DELETE, 0);
                     },
                     [&](HWND window) {
                       closedAfter = ::SendMessageW(::GetDlgItem(window, IDC_FEEDBACK_ABOUT), CB_GETCOUNT, 0, 0);
                       ::PostMessageW(window, WM_CLOSE, 0, 0);
                     }});
  EXPECT_EQ(before, 4);
  EXPECT_EQ(after, 3);
  EXPECT_EQ(closedAfter, 3) << "a closed list keeps its entries";
}

}  // namespace
