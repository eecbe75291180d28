#pragma once

#include <QRect>

// The transfer windows are laid out in dialog units of an 8-point dialog font
// whose base units are 6 x 13 pixels, rounded as the layout was designed.
inline constexpr int DialogFontPixels = 11;

inline int unitsX(int units) { return (units * 6 + 2) / 4; }
inline int unitsY(int units) { return (units * 13 + 4) / 8; }
inline QRect unitsRect(int x, int y, int width, int height)
{
    return QRect(unitsX(x), unitsY(y), unitsX(width), unitsY(height));
}
