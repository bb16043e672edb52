// The 16-colour palette of the viewers' core (app/common/colour.h) as Qt colours.
#pragma once

#include <QColor>

namespace korvana::forms {

//! Palette colour `number` (0..15); numbers outside wrap around modulo 16.
QColor paletteColor(int number);

//! An RGB colour from its three components 0..255.
inline QColor rgbColor(int red, int green, int blue) { return QColor(red, green, blue); }

}  // namespace korvana::forms
