// The 16-colour palette the drawing code refers to by number
// (0 black, 8 grey, 9 blue, 10 green, 12 red, 15 white, ...).
#pragma once

#include <QColor>

namespace korvana::forms {

//! Palette colour `number` (0..15); numbers outside wrap around modulo 16.
QColor paletteColor(int number);

//! An RGB colour from its three components 0..255.
inline QColor rgbColor(int red, int green, int blue) { return QColor(red, green, blue); }

}  // namespace korvana::forms
