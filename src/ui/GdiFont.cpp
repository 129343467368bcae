#include "ui/GdiFont.h"

#include <cwchar>

LOGFONTW TahomaLike(HFONT font) {
  LOGFONTW source{};
  HGDIOBJ object = font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT);
  ::GetObjectW(object, sizeof source, &source);
  LOGFONTW tahoma{};
  tahoma.lfHeight = source.lfHeight;
  tahoma.lfWeight = FW_NORMAL;
  tahoma.lfCharSet = DEFAULT_CHARSET;
  tahoma.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  tahoma.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  tahoma.lfQuality = DEFAULT_QUALITY;
  tahoma.lfPitchAndFamily = DEFAULT_PITCH;
  std::wcsncpy(tahoma.lfFaceName, L"Tahoma", LF_FACESIZE - 1);
  return tahoma;
}
