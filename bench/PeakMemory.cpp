#include "PeakMemory.h"

#include <malloc.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

std::atomic<int64_t> liveBytes{0};
std::atomic<int64_t> peakBytes{0};

void* Allocate(std::size_t bytes) {
  void* block = std::malloc(bytes ? bytes : 1);
  if (!block) throw std::bad_alloc();
  int64_t live = liveBytes += static_cast<int64_t>(malloc_usable_size(block));
  for (int64_t peak = peakBytes.load(); live > peak && !peakBytes.compare_exchange_weak(peak, live);) {
  }
  return block;
}

void Release(void* block) {
  if (!block) return;
  liveBytes -= static_cast<int64_t>(malloc_usable_size(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t bytes) { return Allocate(bytes); }
void* operator new[](std::size_t bytes) { return Allocate(bytes); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }

long OwnPeakKb() {
  // VmHWM counts this image only; ru_maxrss, the fallback, may include the parent's peak.
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    long kb = -1;
    while (kb < 0 && std::fgets(line, sizeof line, status)) {
      if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    }
    std::fclose(status);
    if (kb >= 0) return kb;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int64_t OwnPeakHeapBytes() { return peakBytes.load(); }
