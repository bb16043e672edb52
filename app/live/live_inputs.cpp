#include "app/live/live_inputs.h"

#include <cstdio>

#include "app/common/text_value.h"
#include "common/default_case.h"

namespace korvana::app {

LiveInputs defaultLiveInputs() {
    namespace d = default_case;
    LiveInputs in;
    in.phantomThicknessCm = textValue(d::THICKNESS_CM);
    in.focusSurfaceCm = textValue(d::FSD_CM);
    in.fieldLongCm = textValue(d::FIELD_LONG_CM);
    in.fieldShortCm = textValue(d::FIELD_SHORT_CM);
    in.tubeVoltageKv = textValue(d::TUBE_VOLTAGE_KV);
    in.targetAngleDeg = textValue(d::TARGET_ANGLE_DEG);
    in.inherentFiltrationMmAl = textValue(d::INHERENT_FILTRATION_MM_AL);
    in.addedAluminiumMm = textValue(d::ADDED_ALUMINIUM_MM);
    in.addedCopperMm = textValue(d::ADDED_COPPER_MM);
    in.curtainLeadMm = textValue(d::CURTAIN_LEAD_MM);
    in.curtainLengthCm = textValue(d::CURTAIN_LENGTH_CM);
    return in;
}

std::string liveNumberText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", value);
    return buffer;
}

ConditionTexts liveConditionTexts(const LiveInputs& in) {
    return {liveNumberText(in.tubeVoltageKv), liveNumberText(in.targetAngleDeg),
            liveNumberText(in.inherentFiltrationMmAl), liveNumberText(in.addedAluminiumMm),
            liveNumberText(in.addedCopperMm)};
}

std::vector<std::string> liveRunFileLines(const LiveInputs& in, double historyCount,
                                          const std::string& resultName) {
    RunFileTexts texts;
    texts.phantomThicknessCm = liveNumberText(in.phantomThicknessCm);
    texts.focusSurfaceCm = liveNumberText(in.focusSurfaceCm);
    texts.fieldLongCm = liveNumberText(in.fieldLongCm);
    texts.fieldShortCm = liveNumberText(in.fieldShortCm);
    texts.curtainLeadMm = liveNumberText(in.curtainLeadMm);
    texts.curtainLengthCm = liveNumberText(in.curtainLengthCm);
    texts.historyCount = liveNumberText(historyCount);
    texts.resultName = resultName;
    return formatRunFileLines(texts);
}

}  // namespace korvana::app
