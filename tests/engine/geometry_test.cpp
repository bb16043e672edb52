#include "engine/transport/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/scene_file.h"

namespace korvana::engine {
namespace {

TEST(PhantomBox, FacesAreOutside) {
    RunParameters run;
    run.phantomThickness = 20.0f;
    const PhantomBox box = phantomBoxFor(run);
    EXPECT_TRUE(box.contains(0, 0, 10));
    EXPECT_TRUE(box.contains(14.99f, -19.99f, 19.99f));
    EXPECT_FALSE(box.contains(0, 0, 0));  // entrance surface
    EXPECT_FALSE(box.contains(0, 0, 20));
    EXPECT_FALSE(box.contains(15, 0, 10));
    EXPECT_FALSE(box.contains(-15, 0, 10));
    EXPECT_FALSE(box.contains(0, 20, 10));
    EXPECT_FALSE(box.contains(0, -20, 10));
}

// The scene file checks shields and eye points against the object the
// engine transports in: the same box.
TEST(PhantomBox, IsTheObjectSceneFilesAreCheckedAgainst) {
    RunParameters run;
    run.phantomThickness = 23.5f;
    const PhantomBox box = phantomBoxFor(run);
    const ObjectExtent object = objectExtentFor(run.phantomThickness);
    EXPECT_EQ(box.xMin, object.xMinCm);
    EXPECT_EQ(box.xMax, object.xMaxCm);
    EXPECT_EQ(box.yMin, object.yMinCm);
    EXPECT_EQ(box.yMax, object.yMaxCm);
    EXPECT_EQ(box.zMin, object.zMinCm);
    EXPECT_EQ(box.zMax, object.zMaxCm);
}

TEST(MeasurementPoints, SitAtTheirScatteringAngles) {
    for (int j = 1; j <= POINT_COUNT; ++j) {
        const double angle = (30.0 + 15.0 * (j - 1)) * M_PI / 180.0;
        const double z = std::round(1000.0 / std::tan(angle)) / 10.0;
        EXPECT_FLOAT_EQ(POINT_Z[j], static_cast<float>(j == 5 ? 0.0 : z)) << j;
    }
    EXPECT_EQ(gridColumnX(1), 50.0f);
    EXPECT_EQ(gridColumnX(21), 150.0f);
    EXPECT_EQ(gridRowZ(1), -100.0f);
    EXPECT_EQ(gridRowZ(31), 50.0f);
}

class CurtainTest : public ::testing::Test {
protected:
    LeadCurtain curtain{20.0f - 60.0f, 0.035f};  // 20 cm object, 60 cm curtain: covers z <= -40
};

TEST_F(CurtainTest, OpenPartAndEdge) {
    EXPECT_EQ(curtainTransmission(curtain, 10.0f, -39.9f, 50.0f), 1.0f);
    const float atEdge = curtainTransmission(curtain, 10.0f, -40.0f, 50.0f);
    EXPECT_LT(atEdge, 1.0f);  // the covered part includes its edge
    // Obliquity from the fixed 20 cm lateral run: dz = 50 cm.
    const float cosObl = 20.0f / std::sqrt(400.0f + 2500.0f);
    EXPECT_FLOAT_EQ(atEdge, std::exp(-0.035f * 50.0f / cosObl));
}

TEST_F(CurtainTest, NoLeadTransmitsEverything) {
    curtain.leadThickness = 0.0f;
    for (float zc : {-40.0f, -100.0f, -1000.0f}) {
        EXPECT_EQ(curtainTransmission(curtain, 5.0f, zc, 1000.0f), 1.0f);
    }
}

TEST_F(CurtainTest, ThickerLeadAndSteeperPathsTransmitLess) {
    const float thin = curtainTransmission(curtain, 0.0f, -50.0f, 30.0f);
    curtain.leadThickness = 0.07f;
    const float thick = curtainTransmission(curtain, 0.0f, -50.0f, 30.0f);
    const float steeper = curtainTransmission(curtain, 0.0f, -100.0f, 30.0f);
    EXPECT_LT(thick, thin);
    EXPECT_LT(steeper, thick);
    EXPECT_GT(steeper, 0.0f);
}

TEST(CurtainGeometry, LengthZeroReachesTheExitSurface) {
    RunParameters run;
    run.phantomThickness = 20.0f;
    run.curtainLength = 0.0f;
    EXPECT_EQ(leadCurtainFor(run).coveredUpToZ, 20.0f);
    run.curtainLength = 30.0f;
    EXPECT_EQ(leadCurtainFor(run).coveredUpToZ, -10.0f);
}

TEST(SourcePhoton, StartsOnTheFieldHeadingAwayFromTheFocus) {
    RunParameters run;
    run.phantomThickness = 20.0f;
    run.focusSurfaceDistance = 80.0f;
    run.fieldSizeX = 10.0f;
    run.fieldSizeY = 30.0f;
    RandomStream stream = RandomStream::withFixedSeed();
    RandomStream copy = stream;
    const float r1 = copy.next();
    const float r2 = copy.next();
    const Photon first = sourcePhoton(40.0f, run, stream);
    EXPECT_EQ(first.x, (0.5f - r1) * 10.0f);
    EXPECT_EQ(first.y, (0.5f - r2) * 30.0f);
    EXPECT_EQ(stream.next(), copy.next()) << "the source draws exactly two numbers";

    for (int n = 0; n < 10000; ++n) {
        const Photon p = sourcePhoton(40.0f, run, stream);
        ASSERT_EQ(p.z, 0.0f);
        ASSERT_LE(std::fabs(p.x), 5.0f);
        ASSERT_LE(std::fabs(p.y), 15.0f);
        ASSERT_FALSE(p.scattered);
        ASSERT_EQ(p.energy, 40.0f);
        // The direction is the ray from the focus (0, 0, -80) through the start point.
        const float len = std::sqrt(p.x * p.x + p.y * p.y + 80.0f * 80.0f);
        ASSERT_NEAR(p.u(), p.x / len, 1e-6f);
        ASSERT_NEAR(p.v(), p.y / len, 1e-6f);
        ASSERT_NEAR(p.w(), 80.0f / len, 1e-6f);
    }
}

}  // namespace
}  // namespace korvana::engine
