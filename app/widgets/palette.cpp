#include "palette.h"

#include <array>

namespace korvana::forms {

QColor paletteColor(int number) {
    // Dark colours 0-7, their bright forms 8-15 (8 is the dark grey 128,128,128).
    static constexpr std::array<std::array<int, 3>, 16> COLOURS = {{
        {0, 0, 0},
        {0, 0, 128},
        {0, 128, 0},
        {0, 128, 128},
        {128, 0, 0},
        {128, 0, 128},
        {128, 128, 0},
        {192, 192, 192},
        {128, 128, 128},
        {0, 0, 255},
        {0, 255, 0},
        {0, 255, 255},
        {255, 0, 0},
        {255, 0, 255},
        {255, 255, 0},
        {255, 255, 255},
    }};
    const auto& c = COLOURS[static_cast<std::size_t>(((number % 16) + 16) % 16)];
    return QColor(c[0], c[1], c[2]);
}

}  // namespace korvana::forms
