#pragma once
// The median of a benchmark's rounds: one slow round (another process on the machine) does not move it.

#include <algorithm>
#include <vector>

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}
