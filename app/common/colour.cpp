#include "app/common/colour.h"

#include <array>
#include <cstddef>

namespace korvana::app {

Rgb paletteColour(int number) {
    static constexpr std::array<Rgb, 16> COLOURS = {{
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
    return COLOURS[static_cast<std::size_t>(((number % 16) + 16) % 16)];
}

}  // namespace korvana::app
