#pragma once
// Draws the bad-sector report's map: both heads as bands of tracks (across) by sectors (down), the tracks'
// numbers at intervals below them and a legend of coloured swatches, scaled to the area it is given.

#include <windows.h>

#include "app/DamageMap.h"

// The colour of a state's cells and legend swatch.
COLORREF ColourOfSectorState(SectorState state);

// Paints the whole area (background included) with font for the captions.
void PaintDamageMap(HDC dc, const RECT& area, const DamageMap& map, HFONT font);
