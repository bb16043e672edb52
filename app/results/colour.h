// Colours of the viewers' drawings.
#pragma once

namespace korvana::app {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

//! The 16-colour palette numbers the viewers use: 0 black, 8 grey, 9 blue,
//! 10 green, 12 red. Throws std::invalid_argument for any other number.
Rgb paletteColour(int number);

}  // namespace korvana::app
