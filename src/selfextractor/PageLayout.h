#pragma once
// Where the controls of a self-extractor page go: the picture at its own pixel size in the top left corner
// (when shown; shrunk to fit the screen), the texts beside it, at least as tall as the picture, the buttons
// below on the right.

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

// The picture's size, shrunk in proportion (never enlarged) so that the page fits a client area of
// maxWidth x maxHeight pixels: a large picture must not push the buttons off the screen.
PageBox FitPicture(const PageMetrics& metrics, int maxWidth, int maxHeight);
