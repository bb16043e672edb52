#include "app/widgets/palette.h"

#include "app/common/colour.h"

namespace korvana::forms {

QColor paletteColor(int number) {
    const app::Rgb c = app::paletteColour(number);
    return QColor(c.red, c.green, c.blue);
}

}  // namespace korvana::forms
