// The link control inside a dialog of the tests: what it draws, how it follows the mouse and the focus, how
// it fits its text, and what it refuses to open.
#include <gtest/gtest.h>

#include <algorithm>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "base/LinkOpening.h"
#include "base/Texts.h"
#include "support/FakeMessageBoxes.h"
#include "support/Robot_win32.h"
#include "ui/HyperLink.h"
#include "ui/WideText.h"

namespace {

constexpr COLORREF kLink = RGB(0, 0, 255);
constexpr COLORREF kActive = RGB(0, 128, 128);
constexpr COLORREF kVisited = RGB(128, 0, 128);
constexpr COLORREF kHover = RGB(255, 0, 0);

class HyperLinkTest : public ::testing::Test {
 protected:
  HyperLinkTest() { CHyperLink::SetLinkColours(kLink, kActive, kVisited, kHover); }
  ~HyperLinkTest() override { CHyperLink::SetLinkColours(kLink, kActive, kVisited, kHover); }

  // Runs the test dialog with the link attached to its notify static and the steps acting on it.
  void Run(CHyperLink& link, const std::vector<std::function<void(HWND)>>& steps) {
    TestDialog dialog(ui.Context());
    dialog.onInit = [&link](TestDialog& self) { ASSERT_TRUE(link.Attach(self.Window(), IDC_TEST_NOTIFY_STATIC)); };
    std::vector<std::function<void(HWND)>> all = steps;
    all.push_back([](HWND window) { ::PostMessageW(window, WM_CLOSE, 0, 0); });
    RunModalWithSteps(dialog, nullptr, all);
  }

  UiSettings ui;
  FakeMessageBoxes boxes;
};

TEST_F(HyperLinkTest, WithoutAnAddressItOpensItsCaptionAndRefusesWhatIsNoWebOrMailAddress) {
  CHyperLink link(boxes);
  Run(link, {[&](HWND) {
    EXPECT_EQ(link.LinkTarget(), "提示") << "the caption became the address";
    link.OpenLink();
  }});
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, std::string(kTextCannotOpenLink) + kTextLinkRefused);
  EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(link.Visited());
}

TEST_F(HyperLinkTest, ServerAddressesThatCouldRunACommandReachNoProgram) {
  for (const char* address : {"\"x\" & calc", "file:///C:/windows/system32/calc.exe", "calc.exe", "\\\\host\\share"}) {
    EXPECT_EQ(OpenUrl(address, SW_SHOW), kLinkRefusedCode) << address;
  }
}

TEST_F(HyperLinkTest, TheFocusDrawsTheActiveColourAndSpaceOpensTheLinkAgain) {
  CHyperLink link(boxes);
  Run(link, {[&](HWND window) {
               EXPECT_EQ(link.TextColour(), kLink);
               HWND control = ::GetDlgItem(window, IDC_TEST_NOTIFY_STATIC);
               ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
               ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
             },
             [&](HWND window) {
               EXPECT_EQ(::GetFocus(), ::GetDlgItem(window, IDC_TEST_NOTIFY_STATIC)) << "a click takes the focus";
               EXPECT_TRUE(link.Active());
               EXPECT_EQ(link.TextColour(), kActive);
               EXPECT_EQ(boxes.Boxes().size(), 1u) << "the click opened it (refused: no address)";
               ::PostMessageW(::GetDlgItem(window, IDC_TEST_NOTIFY_STATIC), WM_KEYDOWN, VK_SPACE, 0);
             },
             [&](HWND window) {
               EXPECT_EQ(boxes.Boxes().size(), 2u) << "Space opened it again";
               ::SetFocus(::GetDlgItem(window, IDC_TEST_EDIT));
               EXPECT_FALSE(link.Active());
               EXPECT_EQ(link.TextColour(), kLink);
             }});
}

TEST_F(HyperLinkTest, LeavingWithTheMouseReleasesTheCaptureSoAReleaseElsewhereOpensNothing) {
  CHyperLink link(boxes, CHyperLink::kDefaultStyle | CHyperLink::kUseHoverColour);
  Run(link, {[&](HWND window) {
    HWND control = ::GetDlgItem(window, IDC_TEST_NOTIFY_STATIC);
    ::SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_TRUE(link.Hovering());
    EXPECT_EQ(::GetCapture(), control);
    EXPECT_EQ(link.TextColour(), kHover);
    ::SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(500, 500));
    EXPECT_FALSE(link.Hovering());
    EXPECT_NE(::GetCapture(), control);
    ::SendMessageW(::GetDlgItem(window, IDC_TEST_EDIT), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  }});
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(HyperLinkTest, TheControlFitsItsTextAndTheTooltipShowsTheAddress) {
  CHyperLink link(boxes);
  Run(link, {[&](HWND window) {
    HWND control = ::GetDlgItem(window, IDC_TEST_NOTIFY_STATIC);
    WriteWindowText(control, "一个比原来的控件长得多的链接文字");
    link.SetLinkTarget("https://www.example.org/diskelle/");
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    std::wstring text = Wide("一个比原来的控件长得多的链接文字");
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    RECT client = ClientRectOf(control);
    // As wide as the text, but never past the window's edge.
    RECT area{}, placed{};
    ::GetClientRect(window, &area);
    ::GetWindowRect(control, &placed);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(client.right, std::min<LONG>(extent.cx, area.right - placed.left - 5) + 5);
    EXPECT_LE(placed.right, area.right);
    EXPECT_EQ(client.bottom, extent.cy);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    ::GetObjectW(font, sizeof description, &description);
    EXPECT_TRUE(description.lfUnderline);
    EXPECT_EQ(link.LinkTarget(), "https://www.example.org/diskelle/");
    std::vector<std::wstring> tips = robot::ToolTipTexts(window);
    EXPECT_NE(std::find(tips.begin(), tips.end(), L"https://www.example.org/diskelle/"), tips.end());
  }});
}

}  // namespace
