#pragma once
// The alpha values a fade passes through: steps of a tenth of (max - min), rounded to the nearest value,
// ending exactly at the limit it moves to (never beyond it, whatever alpha it started from).

#include <vector>

std::vector<int> FadeOutSteps(int current, int minAlpha, int maxAlpha);
std::vector<int> FadeInSteps(int current, int minAlpha, int maxAlpha);
