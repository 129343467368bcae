#include "net/WeeklyCheck.h"

#include <gtest/gtest.h>

#include "settings/HiveRegistry.h"

namespace {

constexpr int64_t kNow = 1700000000;

TEST(WeeklyCheck, RunsAWeekAfterTheLastCheckAndNeverWhenTheClockWentBack) {
  struct Case {
    int64_t lastUpdate;
    bool due;
  };
  const Case cases[] = {{0, true}, {kNow - 604800, true}, {kNow - 604799, false}, {kNow, false}, {kNow + 86400, false}};
  for (const Case& c : cases) EXPECT_EQ(WeeklyCheckDue(static_cast<uint32_t>(c.lastUpdate), kNow), c.due) << c.lastUpdate;
}

TEST(WeeklyCheck, StoresTheTimeOnlyWhenTheCheckRan) {
  struct Case {
    uint32_t checkUpdates;
    bool internet;
    uint32_t lastUpdate;
    bool runs;
  };
  const Case cases[] = {{1, true, 0, true}, {0, true, 0, false}, {1, false, 0, false}, {1, true, kNow - 10, false}};
  for (const Case& c : cases) {
    MemoryRegistry registry;
    AppSettings settings;
    settings.m_checkUpdates = c.checkUpdates;
    settings.m_lastUpdate = c.lastUpdate;
    int checks = 0;
    EXPECT_EQ(RunWeeklyUpdateCheck(settings, registry, c.internet, kNow, [&] { ++checks; }), c.runs);
    EXPECT_EQ(checks, c.runs ? 1 : 0);
    AppSettings loaded;
    SelfExeSettings selfExe;
    LoadSettings(registry, 5, loaded, selfExe);
    EXPECT_EQ(loaded.m_lastUpdate, c.runs ? static_cast<uint32_t>(kNow) : 0u);
    EXPECT_EQ(settings.m_lastUpdate, c.runs ? static_cast<uint32_t>(kNow) : c.lastUpdate);
  }
}

}  // namespace
