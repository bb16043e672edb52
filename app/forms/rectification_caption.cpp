#include "app/forms/rectification_caption.h"

namespace korvana::forms {

QString rectificationCaption(app::RectificationMode mode) {
    switch (mode) {
        case app::RectificationMode::ConstantPotential:
            return QStringLiteral("定電圧");
        case app::RectificationMode::ThreePhase12Peak:
            return QStringLiteral("三相12ピーク");
        case app::RectificationMode::SinglePhaseFullWave:
            return QStringLiteral("単相全波");
    }
    return {};
}

}  // namespace korvana::forms
