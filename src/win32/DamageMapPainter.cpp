#include "win32/DamageMapPainter.h"

#include <algorithm>
#include <string>

#include "base/Format.h"
#include "base/Texts.h"
#include "base/Wide_win32.h"

namespace {

constexpr int kHeadGap = 4;      // between the two heads' bands
constexpr int kLabelMargin = 6;  // between a head's caption and its band
constexpr int kTick = 3;
constexpr COLORREF kBandColour = RGB(255, 255, 255);
constexpr COLORREF kFrameColour = RGB(128, 128, 128);

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return static_cast<int>(size.cx);
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
  ::SetBkColor(dc, colour);
  ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void Frame(HDC dc, RECT rect, COLORREF colour) {
  Fill(dc, {rect.left, rect.top, rect.right, rect.top + 1}, colour);
  Fill(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
  Fill(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
  Fill(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

void Text(HDC dc, int x, int y, const std::wstring& text) {
  ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Track numbers at a step that keeps them apart: every 10 on 80 tracks, every 5 on 40.
int TrackStep(int tracks, int cellWidth, int numberWidth) {
  for (int step : {5, 10, 20, 40, 80}) {
    if (step * cellWidth >= numberWidth + 6 && (step >= 10 || tracks <= 50)) return step;
  }
  return tracks;
}

}  // namespace

COLORREF ColourOfSectorState(SectorState state) {
  switch (state) {
    case SectorState::Good: return RGB(170, 214, 170);
    case SectorState::Bad: return RGB(214, 39, 40);
    case SectorState::Recovered: return RGB(245, 166, 0);
    case SectorState::Recreated: return RGB(112, 64, 200);
  }
  return RGB(0, 0, 0);
}

void PaintDamageMap(HDC dc, const RECT& area, const DamageMap& map, HFONT font) {
  Fill(dc, area, ::GetSysColor(COLOR_BTNFACE));
  if (map.Empty()) return;
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  int lineHeight = metrics.tmHeight;

  const std::wstring heads[2] = {Wide(FormatText(kTextMapHead, {0})), Wide(FormatText(kTextMapHead, {1}))};
  const std::wstring tracksCaption = Wide(kTextMapTracks);
  int labelWidth = std::max({TextWidth(dc, heads[0]), TextWidth(dc, heads[1]), TextWidth(dc, tracksCaption)});
  int gridLeft = area.left + labelWidth + kLabelMargin;

  int tracks = map.Tracks();
  int sectors = map.SectorsPerTrack();
  int axisHeight = kTick + lineHeight + 2;
  int legendHeight = lineHeight + 4;
  int gridWidth = static_cast<int>(area.right) - gridLeft - 2;
  int gridHeight = static_cast<int>(area.bottom - area.top) - axisHeight - legendHeight - kHeadGap - 2;
  int cellWidth = std::max(1, (gridWidth - 1) / tracks);
  int cellHeight = std::max(1, (gridHeight / 2 - 1) / sectors);
  // Cells too small for a line between them touch; the band's frame still bounds them.
  int gap = cellWidth >= 4 && cellHeight >= 3 ? 1 : 0;
  int bandWidth = cellWidth * tracks + 1;
  int bandHeight = cellHeight * sectors + 1;
  int used = 2 * bandHeight + kHeadGap + axisHeight + legendHeight;
  int top = area.top + std::max(0, static_cast<int>(area.bottom - area.top) - used) / 2;

  for (int head = 0; head < 2; ++head) {
    int bandTop = top + head * (bandHeight + kHeadGap);
    RECT band{gridLeft - 1, bandTop - 1, gridLeft + bandWidth + 1, bandTop + bandHeight + 1};
    Fill(dc, band, kBandColour);
    Frame(dc, band, kFrameColour);
    for (int track = 0; track < tracks; ++track) {
      for (int sector = 0; sector < sectors; ++sector) {
        int x = gridLeft + track * cellWidth + gap;
        int y = bandTop + sector * cellHeight + gap;
        RECT cell{x, y, x + cellWidth - gap, y + cellHeight - gap};
        Fill(dc, cell, ColourOfSectorState(map.At(track, head, sector)));
      }
    }
    Text(dc, gridLeft - kLabelMargin - TextWidth(dc, heads[head]), bandTop + (bandHeight - lineHeight) / 2, heads[head]);
  }

  int axisTop = top + 2 * bandHeight + kHeadGap + 1;
  int step = TrackStep(tracks, cellWidth, TextWidth(dc, std::to_wstring(tracks)));
  for (int track = 0; track < tracks; track += step) {
    int centre = gridLeft + track * cellWidth + cellWidth / 2;
    Fill(dc, {centre, axisTop, centre + 1, axisTop + kTick}, kFrameColour);
    std::wstring number = std::to_wstring(track);
    int width = TextWidth(dc, number);
    Text(dc, std::min(centre - width / 2, gridLeft + bandWidth - width), axisTop + kTick, number);
  }
  Text(dc, gridLeft - kLabelMargin - TextWidth(dc, tracksCaption), axisTop + kTick, tracksCaption);

  int legendTop = axisTop + axisHeight + 2;
  int x = gridLeft;
  std::wstring legend = Wide(kTextMapLegend);
  Text(dc, area.left, legendTop, legend);
  x = std::max(x, static_cast<int>(area.left) + TextWidth(dc, legend) + kLabelMargin);
  int swatch = std::max(4, lineHeight - 6);
  for (SectorState state : map.LegendStates()) {
    int swatchTop = legendTop + (lineHeight - swatch) / 2;
    RECT box{x, swatchTop, x + swatch, swatchTop + swatch};
    Fill(dc, box, ColourOfSectorState(state));
    Frame(dc, box, kFrameColour);
    x += swatch + 4;
    std::wstring text = Wide(SectorStateCaption(state));
    Text(dc, x, legendTop, text);
    x += TextWidth(dc, text) + 14;
  }
  ::SelectObject(dc, oldFont);
}
