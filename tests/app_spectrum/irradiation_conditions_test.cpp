#include "app/spectrum/irradiation_conditions.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "common/data_error.h"

namespace korvana::app {
namespace {

ConditionReading read(const ConditionTexts& texts) {
    return readIrradiationConditions(texts, RectificationMode::ThreePhase12Peak);
}

TEST(IrradiationConditions, FormDefaultsPassUnchangedInComputingUnits) {
    const ConditionReading r = read(ConditionTexts{});
    EXPECT_EQ(r.conditions.tubeVoltageKv, 80.0);
    EXPECT_EQ(r.conditions.targetAngleDeg, 12.0);
    EXPECT_DOUBLE_EQ(r.conditions.inherentFiltrationCm, 0.25);
    EXPECT_DOUBLE_EQ(r.conditions.addedAluminiumCm, 0.15);
    EXPECT_EQ(r.conditions.addedCopperCm, 0.0);
    EXPECT_EQ(r.conditions.rectification, RectificationMode::ThreePhase12Peak);
    EXPECT_FALSE(r.correctedTubeVoltageText);
    EXPECT_FALSE(r.correctedInherentText);
}

struct VoltageCase {
    const char* text;
    double kv;
    std::optional<std::string> newText;
};

void PrintTo(const VoltageCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class TubeVoltage : public ::testing::TestWithParam<VoltageCase> {};

TEST_P(TubeVoltage, IsClampedToThirtyAndHundredFortyNinePointFive) {
    ConditionTexts texts;
    texts.tubeVoltageKv = GetParam().text;
    const ConditionReading r = read(texts);
    EXPECT_EQ(r.conditions.tubeVoltageKv, GetParam().kv);
    EXPECT_EQ(r.correctedTubeVoltageText, GetParam().newText);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TubeVoltage,
    ::testing::Values(VoltageCase{"150", 149.5, "149.5"}, VoltageCase{"200kV", 149.5, "149.5"},
                      VoltageCase{"1e999", 149.5, "149.5"}, VoltageCase{"149.9", 149.9, {}},
                      VoltageCase{"149.5", 149.5, {}}, VoltageCase{"30", 30, "30"},
                      VoltageCase{"29", 30, "30"}, VoltageCase{"", 30, "30"},
                      VoltageCase{"abc", 30, "30"}, VoltageCase{"-80", 30, "30"},
                      VoltageCase{"30.5", 30.5, {}}, VoltageCase{"1 00", 100, {}}));

TEST(IrradiationConditions, InherentFiltrationBelowOneMillimetreRunsAsOne) {
    for (const char* text : {"0.99", "0", "", "-2", "x"}) {
        ConditionTexts texts;
        texts.inherentFiltrationMm = text;
        const ConditionReading r = read(texts);
        EXPECT_EQ(r.conditions.inherentFiltrationCm, 0.1) << text;
        EXPECT_EQ(r.correctedInherentText, std::optional<std::string>("1")) << text;
    }
    ConditionTexts texts;
    texts.inherentFiltrationMm = "1";
    const ConditionReading r = read(texts);
    EXPECT_DOUBLE_EQ(r.conditions.inherentFiltrationCm, 0.1);
    EXPECT_FALSE(r.correctedInherentText);
}

TEST(IrradiationConditions, TargetAngleMustLieStrictlyBetweenZeroAndNinety) {
    for (const char* text : {"0", "", "abc", "-12", "90", "95", "180", "1e999"}) {
        ConditionTexts texts;
        texts.targetAngleDeg = text;
        EXPECT_THROW(read(texts), DataError) << text;
    }
    for (const char* text : {"0.1", "12", "89.9"}) {
        ConditionTexts texts;
        texts.targetAngleDeg = text;
        EXPECT_NO_THROW(read(texts)) << text;
    }
}

TEST(IrradiationConditions, NegativeOrInfiniteAddedFiltersAreRejected) {
    ConditionTexts aluminium;
    aluminium.addedAluminiumMm = "-0.5";
    EXPECT_THROW(read(aluminium), DataError);
    ConditionTexts copper;
    copper.addedCopperMm = "-0.1";
    EXPECT_THROW(read(copper), DataError);
    copper.addedCopperMm = "1e999";
    EXPECT_THROW(read(copper), DataError);
    copper.addedCopperMm = "0.1";
    EXPECT_DOUBLE_EQ(read(copper).conditions.addedCopperCm, 0.01);
}

TEST(RectificationFromNumber, OnlyOneTwoAndThree) {
    EXPECT_EQ(rectificationFromNumber(1), RectificationMode::ConstantPotential);
    EXPECT_EQ(rectificationFromNumber(2), RectificationMode::ThreePhase12Peak);
    EXPECT_EQ(rectificationFromNumber(3), RectificationMode::SinglePhaseFullWave);
    EXPECT_FALSE(rectificationFromNumber(0));
    EXPECT_FALSE(rectificationFromNumber(4));
}

}  // namespace
}  // namespace korvana::app
