#include "base/RandomBits.h"

#include <atomic>
#include <chrono>

// A counter seeded from the clock and this process's memory, each value mixed (splitmix64): distinct in every
// call without a global generator behind a lock.
uint64_t RandomBits() {
  static std::atomic<uint64_t> state{static_cast<uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^ reinterpret_cast<uintptr_t>(&state)};
  uint64_t x = state.fetch_add(0x9E3779B97F4A7C15ull) + 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}
