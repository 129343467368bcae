#pragma once
// What the reader and the writer share of libbz2's stdio interface.

#include <climits>
#include <cstddef>

// Its counts are ints: a longer buffer is handed over in pieces this large.
inline constexpr std::size_t kLargestBzip2Call = INT_MAX;
