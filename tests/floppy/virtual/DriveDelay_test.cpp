// The pace of virtual drives ($DISKELLE_DRIVE_DELAY_MS): which values count, and that requests wait.
#include <gtest/gtest.h>

#include <chrono>

#include "floppy/virtual/DelayedNtSyscalls.h"
#include "floppy/FloppyDrives.h"
#include "floppy/FloppyFixtures.h"
#include "floppy/virtual/SimulatedNtSyscalls.h"

namespace {

using std::chrono::milliseconds;

TEST(DriveDelay, OnlyAWholeNumberOfMillisecondsUpToTenSecondsCounts) {
  struct Case {
    std::optional<std::string> value;
    std::optional<milliseconds> delay;
  } cases[] = {
      {std::nullopt, std::nullopt}, {"", std::nullopt},      {"0", std::nullopt},    {"1", milliseconds(1)},
      {"250", milliseconds(250)},   {"10000", milliseconds(10000)}, {"10001", std::nullopt}, {"-5", std::nullopt},
      {"12ms", std::nullopt},       {" 5", std::nullopt},    {"99999999999", std::nullopt},
  };
  for (const Case& c : cases) {
    auto environment = [&c](const std::string& name) {
      return name == "DISKELLE_DRIVE_DELAY_MS" ? c.value : std::nullopt;
    };
    EXPECT_EQ(VirtualDriveDelay(environment), c.delay) << c.value.value_or("(unset)");
  }
}

TEST(DriveDelay, AReadWaitsAndThenReturnsTheSectors) {
  SimulatedNtSyscalls drives;
  drives.Attach('A', std::make_shared<MemoryFloppyStore>(PatternedFloppy({80, 18})));
  constexpr milliseconds kDelay(60);
  DelayedNtSyscalls delayed(drives, kDelay);
  NtHandle handle = delayed.CreateFileW("\\\\.\\A:", kGenericRead, kFileShareRead, kOpenExisting, 0);
  ASSERT_NE(handle, kInvalidNtHandle);

  std::vector<uint8_t> side(18 * kSectorBytes);
  uint32_t read = 0;
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(delayed.ReadFile(handle, side.data(), static_cast<uint32_t>(side.size()), &read));
  EXPECT_GE(std::chrono::steady_clock::now() - start, kDelay);
  EXPECT_EQ(side, SectorsOf(PatternedFloppy({80, 18}), 0, 18));
  EXPECT_TRUE(delayed.CloseHandle(handle));
}

}  // namespace
