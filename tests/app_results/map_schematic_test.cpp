#include "app/results/map_schematic.h"

#include <gtest/gtest.h>

namespace korvana::app {
namespace {

RunConditions defaults() {
    return RunConditions{20.0, 80.0, 25.0, 30.0, 0.35, 60.0, 80.0, 12.0, 2.5, 1.5, 0.0, 1e6};
}

TEST(MapSchematicTest, BeamAndObjectFollowTheConditions) {
    const MapSchematic s = mapSchematic(defaults());
    EXPECT_EQ(s.focus.x, -200.0);
    EXPECT_EQ(s.focus.y, 520.0);
    EXPECT_EQ(s.beamLeftEdge.x, -250.0);  // half of the first field size, 12.5 cm
    EXPECT_EQ(s.beamRightEdge.x, -150.0);
    EXPECT_EQ(s.beamLeftEdge.y, 200.0);
    EXPECT_EQ(s.objectTopY, 200.0);
    EXPECT_EQ(s.objectBottomY, 120.0);
}

TEST(MapSchematicTest, CurtainHangsFromTwentyCmBelowTheFocusToItsLengthAboveTheCouch) {
    RunConditions c = defaults();
    c.focusSurfaceDistanceCm = 100.0;
    const MapSchematic s = mapSchematic(c);
    EXPECT_TRUE(s.curtainShown);
    EXPECT_EQ(s.focus.y, 600.0);
    EXPECT_EQ(s.curtainTopY, 520.0);
    // 60 cm above the exit surface (z = 20 cm), where the couch lies: z = -40 cm.
    EXPECT_EQ(s.curtainBottomY, 360.0);
    EXPECT_EQ(s.couch.top, 120.0);
    EXPECT_EQ(s.curtainLabelTopY, 550.0);
    EXPECT_EQ(s.curtainX, -122.0);
    EXPECT_FALSE(s.curtainWidthCm);
}

TEST(MapSchematicTest, TheRoomIsDrawnWhereTheSceneHasIt) {
    SceneDescription scene;
    scene.shields.push_back({"ceiling", 0.5, {55, 0, -45}, 60, 75, 0});
    scene.shields.push_back({"tilted", 0.5, {60, 0, -30}, 60, 20, 90});
    scene.curtain = SceneCurtain{90, 0};
    scene.table = SceneTable{1.2, TableSide::Entrance, 50};
    scene.eyePoints.push_back({"operator", {60, 30, -40}});
    const MapSchematic s = mapSchematic(defaults(), scene);
    ASSERT_EQ(s.shields.size(), 2u);
    // z -82.5 to -7.5 cm in the plane x = 55 cm.
    EXPECT_EQ(s.shields[0].lowEnd.x, 20.0);
    EXPECT_EQ(s.shields[0].lowEnd.y, 530.0);
    EXPECT_EQ(s.shields[0].highEnd.y, 230.0);
    // Turned flat: x 50 to 70 cm at z = -30 cm.
    EXPECT_NEAR(s.shields[1].lowEnd.x, 0.0, 1e-12);
    EXPECT_NEAR(s.shields[1].highEnd.x, 80.0, 1e-12);
    EXPECT_NEAR(s.shields[1].highEnd.y, 320.0, 1e-12);
    EXPECT_EQ(s.curtainWidthCm, 90.0);
    // On the entrance surface, x -25 to 25 cm.
    EXPECT_EQ(s.couch.left, -300.0);
    EXPECT_EQ(s.couch.right, -100.0);
    EXPECT_EQ(s.couch.bottom, 200.0);
    ASSERT_EQ(s.eyePoints.size(), 1u);
    EXPECT_EQ(s.eyePoints[0].at.x, 40.0);
    EXPECT_EQ(s.eyePoints[0].at.y, 360.0);
}

TEST(MapSchematicTest, NoLeadNoCurtain) {
    RunConditions c = defaults();
    c.curtainLeadMm = 0.0;
    EXPECT_FALSE(mapSchematic(c).curtainShown);
}

}  // namespace
}  // namespace korvana::app
