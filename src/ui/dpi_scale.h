#pragma once
// The window is laid out in logical pixels (the 400 x 160 picture area and
// the panel below it); on the screen a logical pixel is dpi / 96 physical
// pixels. Positions are scaled down once where the mouse comes in, and sizes
// up once where windows are placed and pictures drawn.
#include "ui/zones.h"

constexpr int kBaseDpi = 96;

// The window's DPI, or 96 when the system gave none that makes sense.
int UsableDpi(int dpi);
// A logical coordinate or length on the screen, to the nearest pixel.
int ToPhysical(int logical, int dpi);
// The logical pixel that holds a physical one.
int ToLogical(int physical, int dpi);
// A logical rectangle on the screen: each edge scaled on its own, so
// neighbouring rectangles stay neighbours.
ZoneRect ToPhysical(const ZoneRect& logical, int dpi);
// The physical rectangle of a control, in the logical pixels it covers.
ZoneRect ToLogical(const ZoneRect& physical, int dpi);
// The artwork set (100, 150, 200 or 250 per cent) nearest to the DPI; a tie
// takes the larger set, since shrinking keeps lines sharper than growing.
int ArtworkScaleFor(int dpi);
