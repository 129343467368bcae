// Worker threads' events reach the window they are posted to, in order, without the worker waiting.
#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "ui/WindowJobEvents.h"

namespace {

TEST(WindowJobEvents, AWorkersEventsArriveInOrderAsTheirMessages) {
  UiSettings ui;
  TestDialog dialog(ui.Context());
  std::vector<std::pair<UINT, WPARAM>> received;
  dialog.onMessage = [&](UINT message, WPARAM wParam) {
    if (message >= WM_APP + 1 && message <= WM_APP + 3) received.emplace_back(message, wParam);
  };
  RunModalWith(dialog, nullptr, [&](HWND w) {
    WindowJobEvents events(w);
    std::thread worker([&events] {
      events.Post(kReadProgressMessage, kJobProgress);
      events.Post(kReadProgressMessage, kJobProgress);
      events.Post(kConversionProgressMessage, 2);
      events.Post(kReadProgressMessage, kJobSucceeded);
    });
    worker.join();
    EXPECT_TRUE(events.LastResult());
    PumpUntil([&] { return received.size() == 4; }, 2000);
  });
  using Event = std::pair<UINT, WPARAM>;
  EXPECT_EQ(received, (std::vector<Event>{{WM_APP + 1, 0}, {WM_APP + 1, 0}, {WM_APP + 3, 2}, {WM_APP + 1, 1}}));
}

TEST(WindowJobEvents, PostingToAWindowThatIsGoneFailsWithoutWaiting) {
  HWND gone = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ::DestroyWindow(gone);
  WindowJobEvents events(gone);
  events.Post(kWriteProgressMessage, kJobFailed);
  EXPECT_FALSE(events.LastResult());
}

}  // namespace
