#include "engine/scene/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvana::engine {
namespace {

//! The path from (x0, y0, z0) to a detector at (tx, ty, tz), its direction
//! normalised in double.
StraightPath pathTo(double x0, double y0, double z0, double tx, double ty, double tz) {
    const double dx = tx - x0, dy = ty - y0, dz = tz - z0;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    return StraightPath{static_cast<float>(x0),          static_cast<float>(y0),
                        static_cast<float>(z0),          static_cast<float>(dx / length),
                        static_cast<float>(dy / length), static_cast<float>(dz / length),
                        static_cast<float>(tx)};
}

GridTable flat(float value) {
    GridTable t{};
    t.fill(value);
    return t;
}

class SceneTest : public ::testing::Test {
protected:
    GridTable lead = flat(50.0f);  // [1/cm]
    // 20 cm object, 60 cm curtain of 0.35 mm Pb: covers z <= -40 cm.
    Scene scene{LeadCurtain{20.0f - 60.0f, 0.035f}, {}, &lead};

    float through(const StraightPath& path) {
        return transmission(scene, crossLead(scene, path), attenuationAt(scene, 30.0f));
    }
};

TEST_F(SceneTest, PathMeetsTheCurtainPlaneOnItsLine) {
    // From (5, 3, 10) to (100, -2, -100): x = 20 is 15/95 of the way.
    const LeadCrossing crossing = crossLead(scene, pathTo(5, 3, 10, 100, -2, -100));
    EXPECT_NEAR(crossing.curtainZ, 10.0 - 110.0 * 15.0 / 95.0, 1e-4);
    EXPECT_FALSE(crossing.behindCurtain);  // z = -7.4 cm passes below the covered part
    EXPECT_TRUE(crossLead(scene, pathTo(5, 3, 10, 50, 0, -200)).behindCurtain);  // z = -60 cm
}

TEST_F(SceneTest, CoveredPartIncludesItsEdge) {
    const StraightPath path = pathTo(5, 0, 10, 100, 0, -150);
    scene.curtain.coveredUpToZ = crossLead(scene, path).curtainZ;
    EXPECT_TRUE(crossLead(scene, path).behindCurtain);
    EXPECT_LT(through(path), 1.0f);
    scene.curtain.coveredUpToZ =
        std::nextafter(scene.curtain.coveredUpToZ, -std::numeric_limits<float>::infinity());
    EXPECT_FALSE(crossLead(scene, path).behindCurtain);
    EXPECT_EQ(through(path), 1.0f);
}

TEST_F(SceneTest, ObliquityIsTakenOverAFixedTwentyCentimetreRun) {
    // From x = 10 cm the path runs 10 cm across to the plane and drops 50 cm
    // (to z = -40), but the obliquity counts a 20 cm run from x = 0 whatever
    // the start: cos = 20 / sqrt(20^2 + 50^2), not 10 / sqrt(10^2 + 50^2).
    const double cosObl = 20.0 / std::sqrt(20.0 * 20.0 + 50.0 * 50.0);
    const double expected = std::exp(-0.035 * 50.0 / cosObl);
    EXPECT_NEAR(through(pathTo(10, 0, 10, 60, 0, -240)), expected, 1e-5 * expected);
}

TEST_F(SceneTest, DetectorInFrontOfTheCurtainIsNotShielded) {
    // The same line, ending before the curtain's plane and beyond it.
    EXPECT_EQ(through(pathTo(10, 0, 10, 18, 0, -30)), 1.0f);
    EXPECT_LT(through(pathTo(10, 0, 10, 50, 0, -190)), 1.0f);
}

TEST_F(SceneTest, ThickerLeadAndSteeperPathsTransmitLess) {
    const StraightPath shallow = pathTo(0, 0, 0, 100, 0, -250);  // z = -50 at the curtain
    const StraightPath steep = pathTo(0, 0, 0, 100, 0, -500);    // z = -100
    const float thin = through(shallow);
    scene.curtain.leadThickness = 0.07f;
    const float thick = through(shallow);
    const float steeper = through(steep);
    EXPECT_LT(thick, thin);
    EXPECT_LT(steeper, thick);
    EXPECT_GT(steeper, 0.0f);
    scene.curtain.leadThickness = 0.0f;
    EXPECT_EQ(through(steep), 1.0f) << "no lead transmits everything";
}

TEST(SceneFor, CurtainLengthZeroReachesTheExitSurface) {
    const GridTable lead = flat(1.0f);
    RunParameters run;
    run.phantomThickness = 20.0f;
    run.curtainLeadThickness = 0.035f;
    run.curtainLength = 0.0f;
    EXPECT_EQ(sceneFor(run, lead).curtain.coveredUpToZ, 20.0f);
    run.curtainLength = 30.0f;
    const Scene scene = sceneFor(run, lead);
    EXPECT_EQ(scene.curtain.coveredUpToZ, -10.0f);
    EXPECT_EQ(scene.curtain.leadThickness, 0.035f);
    EXPECT_EQ(scene.box.zMax, 20.0f);
    EXPECT_EQ(scene.leadAttenuation, &lead);
}

}  // namespace
}  // namespace korvana::engine
