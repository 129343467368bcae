#include "ui/FadeSteps.h"

#include <algorithm>
#include <cmath>

namespace {

int ClampAlpha(int alpha) { return std::clamp(alpha, 0, 255); }

}  // namespace

std::vector<int> FadeOutSteps(int current, int minAlpha, int maxAlpha) {
  std::vector<int> steps;
  current = ClampAlpha(current);
  float step = static_cast<float>(maxAlpha - minAlpha) * 0.1f;
  if (step <= 0) return steps;
  for (float x = static_cast<float>(current) - step; current > minAlpha; x -= step) {
    current = std::max(ClampAlpha(static_cast<int>(std::lround(x))), minAlpha);
    steps.push_back(current);
  }
  return steps;
}

std::vector<int> FadeInSteps(int current, int minAlpha, int maxAlpha) {
  std::vector<int> steps;
  current = ClampAlpha(current);
  float step = static_cast<float>(maxAlpha - minAlpha) * 0.1f;
  if (step <= 0) return steps;
  for (float x = static_cast<float>(current) + step; current < maxAlpha; x += step) {
    current = std::min(ClampAlpha(static_cast<int>(std::lround(x))), maxAlpha);
    steps.push_back(current);
  }
  return steps;
}
