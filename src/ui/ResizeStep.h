#pragma once
// One coordinate of a control under proportional layout. The control's share of a size change is kept in
// parts of maxPart; the fraction of a pixel that is left over is carried to the next change, so that many
// small changes add up exactly as one large one.

struct ProportionalStep {
  int delta;    // change of the dialog's client width or height
  int part;     // the control's share, 0..maxPart
  int maxPart;  // parts per whole
  bool isSize;  // a width or height never becomes negative
};

// Applies step to value and remainder; true when value changed.
bool ApplyProportionalStep(const ProportionalStep& step, int& value, int& remainder);
