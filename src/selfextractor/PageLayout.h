#pragma once
// Where the controls of a self-extractor page go: the picture at its own pixel size in the top left corner
// (when shown), the texts beside it, at least as tall as the picture, the buttons below on the right.

struct PageBox {
  int x = 0, y = 0, width = 0, height = 0;
};

struct PageMetrics {
  int pictureWidth = 0, pictureHeight = 0;  // pixels
  int margin = 0, gap = 0;                  // pixels, from dialog units
  int textWidth = 0, smallestTextHeight = 0, lineHeight = 0;
  int buttonWidth = 0, buttonHeight = 0;
};

struct PageLayout {
  PageBox picture, description, text, ok, cancel;
  int clientWidth = 0, clientHeight = 0;
};

PageLayout LayOutPage(const PageMetrics& metrics, bool showPicture, bool showDescription);
