#pragma once
// What every dialog of the toolkit reads while it runs. The flags are references to the program's live
// options, so that a change (the settings sheet switches tooltips and fading) takes effect at once.

#include <cstdint>

struct DialogContext {
  const uint32_t& toolTips;  // non-zero: controls show their tooltips
  const uint32_t& windowFx;  // non-zero: windows fade while dragged by their caption
  bool keepTemplateFont;     // NT 4 draws dialogs in their template's font
};
