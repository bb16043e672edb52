// The shipped physics tables against reference values of the NIST tables
// (XCOM and the Hubbell-Seltzer energy-absorption coefficients), read the way
// the programs read them. Linear coefficients are divided by the density used.
#include <gtest/gtest.h>

#include <string>

#include "common/grid_tables.h"

namespace korvana {
namespace {

std::string shipped(const char* name) { return std::string(KORVANA_DATA_DIR) + "/" + name; }

int binOf(double keV) { return static_cast<int>(keV * 2.0 + 0.5); }

struct Reference {
    const char* what;
    double keV;
    double massCoefficient;  //!< [cm^2/g]
    double relativeTolerance;
};

void expectNear(const GridTable& table, double density, const Reference& r) {
    const double ours = table[binOf(r.keV)] / density;
    EXPECT_NEAR(ours, r.massCoefficient, r.massCoefficient * r.relativeTolerance)
        << r.what << " at " << r.keV << " keV";
}

TEST(ShippedTables, LeadAroundItsKEdge) {
    const GridTable lead = loadLeadAttenuation(shipped("Pb.dat"));
    const double density = 11.35;
    for (const Reference& r :
         {Reference{"Pb below the K edge", 88.0, 1.910, 0.01},
          Reference{"Pb above the K edge", 88.5, 7.57, 0.02}, Reference{"Pb", 100.0, 5.549, 0.01},
          Reference{"Pb", 50.0, 8.041, 0.02}, Reference{"Pb", 30.0, 30.32, 0.02}}) {
        expectNear(lead, density, r);
    }
    EXPECT_GT(lead[binOf(88.5)], 3.5f * lead[binOf(88.0)]) << "the K edge lies between the rows";
}

TEST(ShippedTables, AirEnergyAbsorption) {
    const GridTable air = loadAirEnergyAbsorption(shipped("MU_en2016.dat"));
    for (const Reference& r : {Reference{"air muen/rho", 10.0, 4.742, 0.02},
                               Reference{"air muen/rho", 30.0, 0.1537, 0.01},
                               Reference{"air muen/rho", 60.0, 0.03041, 0.01},
                               Reference{"air muen/rho", 100.0, 0.02325, 0.01},
                               Reference{"air muen/rho", 150.0, 0.02496, 0.01}}) {
        expectNear(air, 1.0, r);
    }
}

TEST(ShippedTables, AluminiumTungstenCopper) {
    const GridTable aluminium = loadAluminiumAttenuation(shipped("Aluminum.atc"));
    expectNear(aluminium, 2.699, {"Al", 30.0, 1.128, 0.01});
    expectNear(aluminium, 2.699, {"Al", 100.0, 0.1704, 0.01});
    const GridTable tungsten = loadGridTable(shipped("Tungsten.dat"), "(E9.3,E12.4)", 2);
    expectNear(tungsten, 19.3, {"W", 100.0, 4.438, 0.01});
    expectNear(tungsten, 19.3, {"W below the K edge", 69.5, 2.552, 0.01});
    EXPECT_GT(tungsten[binOf(70.0)], 3.5f * tungsten[binOf(69.5)]);
    const GridTable copper = loadGridTable(shipped("Copper.dat"), "(E9.3,E12.4)", 2);
    expectNear(copper, 8.96, {"Cu", 30.0, 10.92, 0.01});
}

}  // namespace
}  // namespace korvana
