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
      events.Post({JobKind::Read, JobStep::Progress});
      events.Post({JobKind::Write, JobStep::SideFormatted});
      events.Post({JobKind::Conversion, JobStep::Saving});
      events.Post({JobKind::Read, JobStep::Succeeded});
    });
    worker.join();
    EXPECT_TRUE(events.LastResult());
    EXPECT_TRUE(PumpUntil([&] { return received.size() == 4; })) << "the four events never arrived";
  });
  using Event = std::pair<UINT, WPARAM>;
  EXPECT_EQ(received, (std::vector<Event>{{WM_APP + 1, 0}, {WM_APP + 2, 3}, {WM_APP + 3, 2}, {WM_APP + 1, 1}}));
}

// The message numbers are what the program's windows have always received; each decodes to its event.
TEST(WindowJobEvents, EveryEventRoundTripsThroughItsMessage) {
  for (JobKind job : {JobKind::Read, JobKind::Write}) {
    for (JobStep step : {JobStep::Progress, JobStep::Succeeded, JobStep::Failed, JobStep::SideFormatted}) {
      JobMessage posted = MessageOfJobEvent({job, step});
      EXPECT_EQ(JobEventOfMessage(posted.message, posted.wParam), (JobEvent{job, step}));
    }
  }
  for (JobStep step : {JobStep::Loading, JobStep::Saving, JobStep::Ended}) {
    JobMessage posted = MessageOfJobEvent({JobKind::Conversion, step});
    EXPECT_EQ(posted.message, static_cast<UINT>(WM_APP + 3));
    EXPECT_EQ(JobEventOfMessage(posted.message, posted.wParam), (JobEvent{JobKind::Conversion, step}));
  }
  EXPECT_EQ(JobEventOfMessage(WM_APP + 1, 4), std::nullopt);
  EXPECT_EQ(JobEventOfMessage(WM_APP + 4, 0), std::nullopt);
}

TEST(WindowJobEvents, PostingToAWindowThatIsGoneFailsWithoutWaiting) {
  HWND gone = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ::DestroyWindow(gone);
  WindowJobEvents events(gone);
  events.Post({JobKind::Write, JobStep::Failed});
  EXPECT_FALSE(events.LastResult());
}

}  // namespace
