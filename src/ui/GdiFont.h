#pragma once
// Owns a GDI font; deleted with its owner.

#include <windows.h>

#include <utility>

class GdiFont {
 public:
  GdiFont() = default;
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;
  ~GdiFont() { Reset(); }

  HFONT Get() const { return font_; }

  // CreateFontIndirectW; returns the new font (nullptr on failure, which keeps no font).
  HFONT Create(const LOGFONTW& description) {
    Reset();
    font_ = ::CreateFontIndirectW(&description);
    return font_;
  }

  // Returns the result of DeleteObject (TRUE when there was no font).
  BOOL Reset() {
    return font_ ? ::DeleteObject(std::exchange(font_, nullptr)) : TRUE;
  }

 private:
  HFONT font_ = nullptr;
};

// The program's control font: Tahoma of the given font's height (regular weight, any character set, TrueType
// only). Falls back to the default GUI font's height when font is null.
LOGFONTW TahomaLike(HFONT font);
