#include "base/Clock.h"

#include <chrono>

int64_t SystemClock::NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
