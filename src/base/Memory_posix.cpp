#include <sys/mman.h>
#include <unistd.h>

#include "base/Memory.h"

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

std::vector<uint8_t> ZeroedBuffer(std::size_t count) {
  std::vector<uint8_t> buffer;
  buffer.reserve(count);
  // Whole pages inside the allocation only; where the kernel does not know the advice, the pages fault in as
  // before.
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<uintptr_t>(buffer.data());
  const uintptr_t first = (start + page - 1) & ~(page - 1);
  const uintptr_t end = (start + count) & ~(page - 1);
  if (count > 0 && end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
  buffer.assign(count, 0);
  return buffer;
}
