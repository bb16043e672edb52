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
    EXPECT_EQ(s.curtainBottomY, 140.0 + 240.0);
    EXPECT_EQ(s.curtainLabelTopY, 550.0);
    EXPECT_EQ(s.curtainX, -122.0);
}

TEST(MapSchematicTest, NoLeadNoCurtain) {
    RunConditions c = defaults();
    c.curtainLeadMm = 0.0;
    EXPECT_FALSE(mapSchematic(c).curtainShown);
}

}  // namespace
}  // namespace korvana::app
