#include "selfextractor/PageLayout.h"

#include <algorithm>

PageLayout LayOutPage(const PageMetrics& m, bool showPicture, bool showDescription) {
  PageLayout layout;
  int left = m.margin;
  if (showPicture) {
    layout.picture = {m.margin, m.margin, m.pictureWidth, m.pictureHeight};
    left += m.pictureWidth + m.margin;
  }
  int top = m.margin;
  if (showDescription) {
    layout.description = {left, top, m.textWidth, m.lineHeight};
    top += m.lineHeight + m.gap;
  }
  int pictureBottom = showPicture ? m.margin + m.pictureHeight : 0;
  int textHeight = std::max(m.smallestTextHeight, pictureBottom - top);
  layout.text = {left, top, m.textWidth, textHeight};
  int buttonsTop = std::max(top + textHeight, pictureBottom) + m.margin;
  int right = left + m.textWidth;
  layout.cancel = {right - m.buttonWidth, buttonsTop, m.buttonWidth, m.buttonHeight};
  layout.ok = {layout.cancel.x - m.gap - m.buttonWidth, buttonsTop, m.buttonWidth, m.buttonHeight};
  layout.clientWidth = right + m.margin;
  layout.clientHeight = buttonsTop + m.buttonHeight + m.margin;
  return layout;
}
