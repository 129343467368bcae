#include "support/Waiting.h"

#include <thread>

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds ceiling) {
  const auto deadline = std::chrono::steady_clock::now() + ceiling;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // leaves the machine to the programs watched
  }
  return true;
}
