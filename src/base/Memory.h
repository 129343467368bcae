#pragma once
// Memory that is filled at once: a whole image read into a buffer.

#include <cstddef>
#include <cstdint>
#include <vector>

// count zero bytes, their memory backed by the system in one step where it can (POSIX: madvise with
// MADV_POPULATE_WRITE, Linux 5.14 on), instead of a fault for every page when they are first written: a
// 1.44 MB image costs 360 such faults, more than listing its files.
std::vector<uint8_t> ZeroedBuffer(std::size_t count);
