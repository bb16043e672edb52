// The run parameters' rule: each value against its result file column and the
// scene, with the column's rounding (a value written as 999.9 fits F5.1).
#include "common/run_limits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvana {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();

TEST(RunLimits, EachValueAgainstItsColumnAndTheScene) {
    struct Case {
        RunField field;
        double value;
        bool accepted;
    };
    const Case cases[] = {
        {RunField::PhantomThickness, 20, true},
        {RunField::PhantomThickness, 0, false},
        {RunField::PhantomThickness, 999.94, true},   // written as 999.9
        {RunField::PhantomThickness, 999.96, false},  // would be 1000.0: six columns
        {RunField::FocusSurfaceDistance, 1000, false},
        {RunField::FocusSurfaceDistance, -80, false},
        {RunField::FieldSizeY, 1e30, false},
        {RunField::FieldSizeX, std::nan(""), false},
        {RunField::CurtainLeadThickness, 0, true},
        {RunField::CurtainLeadThickness, 0.9999, true},  // 9.999 mm
        {RunField::CurtainLeadThickness, 1.0, false},    // 10.000 mm: six columns
        {RunField::CurtainLeadThickness, -0.001, false},
        {RunField::CurtainLength, 0, true},
        {RunField::CurtainLength, -10, true},  // hangs below the exit surface
        {RunField::CurtainLength, -99.9, true},
        {RunField::CurtainLength, -100, false},
        {RunField::CurtainLength, 80, true},  // FSD 80 - 20 + thickness 20
        {RunField::CurtainLength, 80.01, false},
        {RunField::HistoryCount, 1, true},
        {RunField::HistoryCount, 0.5, false},
        {RunField::HistoryCount, 1e15, true},
        {RunField::HistoryCount, 1e30, false},
        {RunField::HistoryCount, INF, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(!checkRunValue(c.field, c.value, 80, 20), c.accepted)
            << runFileLine(c.field) << ": " << c.value;
    }
}

TEST(RunLimits, TheFirstFaultInLineOrderWithItsReason) {
    RunValues v{20, 80, 25, 25, 0.035, 60, 1e7};
    EXPECT_FALSE(checkRunValues(v));
    v.fieldSizeYCm = 1000;
    v.historyCount = 1e30;
    const auto fault = checkRunValues(v);
    ASSERT_TRUE(fault);
    EXPECT_EQ(runFileLine(fault->field), 3);
    EXPECT_EQ(describeRunValueFault(*fault),
              "the field size along y [cm] 1000 is more than 999.9 (the largest the result "
              "file's column holds)");
    v.fieldSizeYCm = 25;
    v.curtainLengthCm = 200;
    EXPECT_NE(describeRunValueFault(*checkRunValues(v)).find("FSD - 20 cm + thickness = 80"),
              std::string::npos);
}

TEST(RunLimits, BeamValuesOfTheSpectrumFile) {
    EXPECT_EQ(beamValueProblem(BeamField::TubeVoltage, 80), "");
    EXPECT_NE(beamValueProblem(BeamField::TubeVoltage, 1e30), "");
    EXPECT_NE(beamValueProblem(BeamField::TargetAngle, 90), "");
    EXPECT_EQ(beamValueProblem(BeamField::Filtration, 0), "");
    EXPECT_EQ(beamValueProblem(BeamField::Filtration, 999.999), "");
    EXPECT_NE(beamValueProblem(BeamField::Filtration, 1000), "");
    EXPECT_NE(beamValueProblem(BeamField::Filtration, -1), "");
}

}  // namespace
}  // namespace korvana
