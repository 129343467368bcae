#include "selfextractor/PageLayout.h"

#include <algorithm>
#include <cstdint>

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

PageBox FitPicture(const PageMetrics& m, int maxWidth, int maxHeight) {
  const int roomWidth = std::max(1, maxWidth - 3 * m.margin - m.textWidth);
  const int roomHeight = std::max(1, maxHeight - 3 * m.margin - m.buttonHeight);
  PageBox box{0, 0, m.pictureWidth, m.pictureHeight};
  if (box.width <= 0 || box.height <= 0 || (box.width <= roomWidth && box.height <= roomHeight)) return box;
  // The smaller of the two scales, in 64-bit arithmetic (sides up to 4096, screens up to 32767).
  const int64_t w = box.width, h = box.height;
  if (roomWidth * h <= roomHeight * w) {
    box.width = roomWidth;
    box.height = static_cast<int>(std::max<int64_t>(1, h * roomWidth / w));
  } else {
    box.height = roomHeight;
    box.width = static_cast<int>(std::max<int64_t>(1, w * roomHeight / h));
  }
  return box;
}
