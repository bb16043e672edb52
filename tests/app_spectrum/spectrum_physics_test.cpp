// The whole chain with the shipped tables: spectrum, B_SPCTL.dat, HVL.
//
// Reference: the radiation qualities RQR of IEC 61267 (first HVL in mm Al and
// homogeneity coefficient h = first HVL / second HVL). Real tubes reach them
// with a total filtration of roughly 2.5 to 4 mm Al; each case below states the
// filtration used. The homogeneity coefficient is not tuned by the choice of
// filtration and checks the spectrum's shape independently.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/spectrum/generate_spectrum.h"
#include "common/grid_tables.h"
#include "hvl/hvl_calculation.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

struct HvlFigures {
    double firstHvlMm;
    double homogeneity;
};

class SpectrumPhysics : public ::testing::Test {
protected:
    void SetUp() override {
        testing::copyShippedTables(
            {"Tungsten.dat", "Aluminum.atc", "Copper.dat", "Pb.dat", "MU_en2016.dat"});
        m_tables = loadMaterialTables();
        m_aluminium = loadAluminiumAttenuation("Aluminum.atc");
        m_air = loadAirEnergyAbsorption("MU_en2016.dat");
    }

    HvlFigures hvlOf(const char* kv, const char* addedAluminiumMm, RectificationMode mode) {
        ConditionTexts texts;
        texts.tubeVoltageKv = kv;
        texts.targetAngleDeg = "12";
        texts.inherentFiltrationMm = "2.5";
        texts.addedAluminiumMm = addedAluminiumMm;
        texts.addedCopperMm = "0";
        generateSpectrum(texts, mode, m_tables);
        const GridTable spectrum = loadSpectrum("B_SPCTL.dat", DescriptorLines::Ignore).spectrum;
        const hvl::HvlResult r = hvl::computeHvl(spectrum, m_aluminium, m_air);
        return {r.firstHvlCm * 10.0, r.firstHvlCm / r.secondHvlCm};
    }

    testing::ScopedWorkDir m_dir;
    MaterialTables m_tables;
    GridTable m_aluminium{};
    GridTable m_air{};
};

TEST_F(SpectrumPhysics, DefaultConditionLiesBetweenRqr6AndRqr8) {
    // 80 kV, 12 deg, 2.5 + 1.5 mm Al: one mm more aluminium than RQR 6 (80 kV, 3.01 mm)
    // hardens the beam, but not to RQR 8 (100 kV, 3.97 mm).
    const HvlFigures f = hvlOf("80", "1.5", RectificationMode::ConstantPotential);
    std::printf("default condition: first HVL %.3f mm Al, h %.3f\n", f.firstHvlMm, f.homogeneity);
    EXPECT_GT(f.firstHvlMm, 3.01);
    EXPECT_LT(f.firstHvlMm, 3.97);
}

struct RqrCase {
    const char* name;
    const char* kv;
    const char* addedAluminiumMm;  //!< on top of 2.5 mm inherent
    double nominalHvlMm;
    double nominalHomogeneity;
};

TEST_F(SpectrumPhysics, RqrQualitiesWithinTenPercent) {
    for (const RqrCase& c :
         {RqrCase{"RQR 3", "50", "0", 1.78, 0.76}, RqrCase{"RQR 5", "70", "0.5", 2.58, 0.71},
          RqrCase{"RQR 6", "80", "0.5", 3.01, 0.69}, RqrCase{"RQR 7", "90", "1", 3.48, 0.68},
          RqrCase{"RQR 9", "120", "1.5", 5.00, 0.68}}) {
        const HvlFigures f = hvlOf(c.kv, c.addedAluminiumMm, RectificationMode::ConstantPotential);
        std::printf("%s %s kV, 2.5 + %s mm Al: HVL %.3f mm (nominal %.2f), h %.3f (%.2f)\n", c.name,
                    c.kv, c.addedAluminiumMm, f.firstHvlMm, c.nominalHvlMm, f.homogeneity,
                    c.nominalHomogeneity);
        EXPECT_NEAR(f.firstHvlMm, c.nominalHvlMm, 0.10 * c.nominalHvlMm) << c.name;
        EXPECT_NEAR(f.homogeneity, c.nominalHomogeneity, 0.05) << c.name;
    }
}

TEST_F(SpectrumPhysics, RipplingVoltageSoftensTheBeam) {
    // Phases below the peak voltage add soft photons: single phase is the softest.
    const double constant = hvlOf("100", "1.5", RectificationMode::ConstantPotential).firstHvlMm;
    const double three = hvlOf("100", "1.5", RectificationMode::ThreePhase12Peak).firstHvlMm;
    const double single = hvlOf("100", "1.5", RectificationMode::SinglePhaseFullWave).firstHvlMm;
    std::printf("100 kV, 4 mm Al: HVL constant %.3f, three-phase %.3f, single-phase %.3f mm\n",
                constant, three, single);
    EXPECT_LT(three, constant);
    EXPECT_LT(single, three);
}

}  // namespace
}  // namespace korvana::app
