// Colours of the drawings of every window and of the viewers' core.
#pragma once

namespace korvana::app {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

//! The 16-colour palette the drawings refer to by number: dark colours 0-7,
//! their bright forms 8-15 (0 black, 8 grey 128, 128, 128, 9 blue, 10 green,
//! 12 red, 15 white). Numbers outside 0..15 wrap around modulo 16.
Rgb paletteColour(int number);

}  // namespace korvana::app
