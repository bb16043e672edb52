#include "colour.h"

#include <stdexcept>
#include <string>

namespace korvana::app {

Rgb paletteColour(int number) {
    switch (number) {
        case 0:
            return {0, 0, 0};
        case 8:
            return {128, 128, 128};
        case 9:
            return {0, 0, 255};
        case 10:
            return {0, 255, 0};
        case 12:
            return {255, 0, 0};
        default:
            throw std::invalid_argument("palette colour " + std::to_string(number) +
                                        " is not used");
    }
}

}  // namespace korvana::app
