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
