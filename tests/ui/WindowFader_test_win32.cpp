// The fade while a window is dragged: the alpha steps, and what a window shows with WindowFx on and off.
#include <gtest/gtest.h>

#include <vector>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "ui/FadeSteps.h"
#include "ui/WindowFader.h"

namespace {

TEST(FadeSteps, TheProgramsFadeTakesTenStepsEachWay) {
  std::vector<int> out = FadeOutSteps(255, 128, 255);
  ASSERT_EQ(out.size(), 10u);
  EXPECT_EQ(out.front(), 242);
  EXPECT_EQ(out.back(), 128);
  std::vector<int> in = FadeInSteps(128, 128, 255);
  ASSERT_EQ(in.size(), 10u);
  EXPECT_EQ(in.front(), 141);
  EXPECT_EQ(in.back(), 255);
}

struct LimitCase {
  const char* name;
  bool out;
  int from;
  int expectedLast;
  std::size_t expectedSteps;
};

TEST(FadeSteps, AFadeEndsExactlyAtItsLimitWhereverItStarted) {
  const LimitCase cases[] = {
      {"fade-out from a reversed fade-in", true, 200, 128, 6},
      {"fade-in from a reversed fade-out", false, 190, 255, 6},
      {"fade-out already at the minimum", true, 128, 0, 0},
      {"fade-in already at the maximum", false, 255, 0, 0},
      {"fade-out from beyond 255 is clamped first", true, 400, 128, 10},
  };
  for (const LimitCase& c : cases) {
    std::vector<int> steps = c.out ? FadeOutSteps(c.from, 128, 255) : FadeInSteps(c.from, 128, 255);
    EXPECT_EQ(steps.size(), c.expectedSteps) << c.name;
    if (!steps.empty()) {
      EXPECT_EQ(steps.back(), c.expectedLast) << c.name;
    }
  }
}

// A plain top-level window to fade.
class FaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = ::CreateWindowExW(0, L"STATIC", L"fade", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { ::DestroyWindow(window_); }

  bool Layered() const { return (::GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
  int Alpha() const {
    BYTE alpha = 0;
    DWORD flags = 0;
    return ::GetLayeredWindowAttributes(window_, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) ? alpha : -1;
  }
  bool AlphaBecomes(int alpha) {
    return PumpUntil([&] { return Alpha() == alpha; });
  }
  void DragCaption(WindowFader& fader) {
    fader.OnMessage(window_, WM_NCLBUTTONDOWN, HTCAPTION);
    fader.OnMessage(window_, WM_SYSCOMMAND, SC_MOVE | HTCAPTION);
  }

  AppSettings settings_;
  HWND window_ = nullptr;
};

TEST_F(FaderTest, WithWindowFxOffNothingIsLayeredOrFaded) {
  settings_.m_windowFx = 0;
  WindowFader fader(settings_.m_windowFx);
  fader.Attach(window_, 128, 255, 10);
  DragCaption(fader);
  PumpMessages(kQuietMs);
  EXPECT_FALSE(Layered());
  EXPECT_EQ(Alpha(), -1);
}

TEST_F(FaderTest, DraggingFadesTo128AndTheEndOfTheDragBackTo255) {
  settings_.m_windowFx = 1;
  WindowFader fader(settings_.m_windowFx);
  fader.Attach(window_, 128, 255, 10);
  EXPECT_TRUE(Layered());
  EXPECT_EQ(Alpha(), 255);
  DragCaption(fader);
  EXPECT_TRUE(AlphaBecomes(128));
  fader.OnMessage(window_, WM_SETCURSOR, 0);
  EXPECT_TRUE(AlphaBecomes(255));
}

TEST_F(FaderTest, ADragStartedDuringTheFadeInReversesIt) {
  settings_.m_windowFx = 1;
  WindowFader fader(settings_.m_windowFx);
  fader.Attach(window_, 128, 255, 40);
  DragCaption(fader);
  ASSERT_TRUE(AlphaBecomes(128));
  fader.OnMessage(window_, WM_SETCURSOR, 0);
  ASSERT_TRUE(PumpUntil([&] { return Alpha() > 128; })) << "the fade-in never began";
  DragCaption(fader);
  EXPECT_TRUE(AlphaBecomes(128));
  PumpMessages(kQuietMs);
  EXPECT_EQ(Alpha(), 128) << "the fade-in stopped after its current step";
}

TEST_F(FaderTest, SwitchingTheFadeOffAndOnForAnOpenWindow) {
  settings_.m_windowFx = 1;
  WindowFader fader(settings_.m_windowFx);
  fader.Apply(window_, true);
  EXPECT_TRUE(Layered());
  fader.Apply(window_, false);
  EXPECT_FALSE(Layered());
}

TEST(DialogFade, ADialogIsLayeredExactlyWhenWindowFxIsOn) {
  for (uint32_t windowFx : {0u, 1u}) {
    UiSettings ui;
    ui.settings.m_windowFx = windowFx;
    TestDialog dialog(ui.Context());
    bool layered = false;
    RunModalWith(dialog, nullptr, [&](HWND w) { layered = ::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYERED; });
    EXPECT_EQ(layered, windowFx != 0);
  }
}

}  // namespace
