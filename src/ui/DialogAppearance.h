#pragma once
// What makes every dialog and property page of the program look and help alike: the Tahoma font on every
// control and a tooltip for every control whose id has a string-table text.

#include <windows.h>

#include "ui/DialogContext.h"
#include "ui/GdiFont.h"
#include "ui/ToolTip.h"

class DialogAppearance {
 public:
  // Creates the font and the tooltip and dresses the direct children of dialog (once, at initialisation).
  // NT 4.0 keeps the template's font on the controls.
  void Apply(HWND dialog, const DialogContext& context);

  // Before dispatch: switches the tooltip on or off (shown) and relays mouse messages of the dialog's windows
  // as coming from the control they belong to. Never consumes the message.
  void PreTranslate(HWND dialog, const MSG& message, bool shown);

  HFONT Font() const { return font_.Get(); }
  const ToolTip& Tips() const { return toolTip_; }
  ToolTip& Tips() { return toolTip_; }

 private:
  GdiFont font_;
  ToolTip toolTip_;
  int activeState_ = -1;  // last TTM_ACTIVATE sent: -1 none yet, 0 off, 1 on
};

// The direct child of dialog that a mouse message for window at point (client coordinates of window) is
// about: window's ancestor below dialog, or, for the dialog itself, the enabled or disabled visible control
// under the point (statics and disabled controls let the mouse through to the dialog). nullptr: none.
HWND ToolOwnerOf(HWND dialog, HWND window, POINT point);
