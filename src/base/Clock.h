#pragma once
// Wall-clock seconds for progress rates; a seam so that tests can set the time.

#include <cstdint>

class IClock {
 public:
  virtual ~IClock() = default;
  virtual int64_t NowSeconds() = 0;
};

class SystemClock : public IClock {
 public:
  int64_t NowSeconds() override;
};
