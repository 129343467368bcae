#include "ui/ResizeStep.h"

bool ApplyProportionalStep(const ProportionalStep& step, int& value, int& remainder) {
  if (step.part <= 0 || step.maxPart <= 0) return false;
  int total = step.delta * step.part + remainder;
  if (total == 0) return false;
  int before = value;
  value += total / step.maxPart;
  remainder = total % step.maxPart;
  if (step.isSize && value < 0) {
    remainder += value * step.maxPart;
    value = 0;
  }
  return value != before;
}
