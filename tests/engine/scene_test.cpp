#include "engine/scene/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "engine/scene/scene-inl.h"
#include "hwy/highway.h"

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

// The room's elements: shields, table and a finite curtain.
class RoomTest : public ::testing::Test {
protected:
    GridTable lead = flat(20.0f);      // [1/cm]
    GridTable aluminium = flat(0.8f);  // [1/cm]
    RunParameters run = [] {
        RunParameters r;
        r.phantomThickness = 20.0f;
        r.curtainLeadThickness = 0.0f;  // no curtain unless a test hangs one
        r.curtainLength = 0.0f;
        return r;
    }();

    static SceneShield shield(double leadMm, double x, double y, double z, double width,
                              double height, double tilt) {
        return SceneShield{"s", leadMm, {x, y, z}, width, height, tilt};
    }
    Scene sceneOf(const SceneDescription& description) {
        return sceneFor(run, lead, description, &aluminium);
    }
    static float through(const Scene& scene, const StraightPath& path) {
        return transmission(scene, crossLead(scene, path), attenuationAt(scene, 40.0f));
    }
};

TEST_F(RoomTest, ShieldAcrossThePathTransmitsByItsSlantLead) {
    SceneDescription room;
    room.shields = {shield(1.0, 50, 0, 0, 200, 200, 0)};  // 1 mm Pb, full cover, facing the path
    const StraightPath along = pathTo(0, 0, 10, 100, 0, 10);
    EXPECT_NEAR(through(sceneOf(room), along), std::exp(-20.0 * 0.1), 1e-6);
    // Tilted 60 degrees, the same lead lies twice as long on a path along x.
    room.shields[0].tiltDeg = 60;
    EXPECT_NEAR(through(sceneOf(room), along), std::exp(-2.0 * 20.0 * 0.1), 1e-6);
    room.shields[0].tiltDeg = -60;
    EXPECT_NEAR(through(sceneOf(room), along), std::exp(-2.0 * 20.0 * 0.1), 1e-6);
}

TEST_F(RoomTest, PositiveTiltMovesTheUpperEdgeTowardsTheWorker) {
    // Tilted 30 degrees about y through (50, 0, 0): at z = 8 the sheet stands
    // at x = 50 + 8 tan 30 = 54.6 cm, at z = -8 at x = 45.4 cm.
    SceneDescription room;
    room.shields = {shield(1.0, 50, 0, 0, 40, 40, 30)};
    const Scene scene = sceneOf(room);
    EXPECT_EQ(through(scene, pathTo(0, 0, 8, 53, 0, 8)), 1.0f);
    EXPECT_LT(through(scene, pathTo(0, 0, 8, 56, 0, 8)), 1.0f);
    EXPECT_LT(through(scene, pathTo(0, 0, -8, 47, 0, -8)), 1.0f);
}

TEST_F(RoomTest, PathsPastAnEdgeOrBeyondTheDetectorAreNotShielded) {
    SceneDescription room;
    room.shields = {shield(1.0, 50, 10, -40, 60, 40, 0)};  // y -20..40, z -60..-20
    const Scene scene = sceneOf(room);
    EXPECT_LT(through(scene, pathTo(0, 0, 0, 100, 0, -80)), 1.0f);    // z = -40 at the sheet
    EXPECT_EQ(through(scene, pathTo(0, 0, 0, 100, 0, -30)), 1.0f);    // z = -15: above it
    EXPECT_EQ(through(scene, pathTo(0, 0, 0, 100, -50, -80)), 1.0f);  // y = -25: beside it
    EXPECT_EQ(through(scene, pathTo(0, 0, 0, 40, 0, -32)), 1.0f);     // detector before the sheet
}

TEST_F(RoomTest, FiniteCurtainLetsScatterPassAroundItsSides) {
    run.curtainLeadThickness = 0.035f;
    run.curtainLength = 60.0f;  // covers z <= -40
    SceneDescription room;
    room.curtain = SceneCurtain{40, 10};  // y -10..30
    const Scene finite = sceneOf(room);
    const Scene unbounded = sceneOf({});
    // Both cross x = 20 at z = -60; at y = 25 (inside) or y = -15 (beside).
    const StraightPath inside = pathTo(0, 0, 0, 100, 125, -300);
    const StraightPath beside = pathTo(0, 0, 0, 100, -75, -300);
    EXPECT_EQ(through(finite, inside), through(unbounded, inside));
    EXPECT_LT(through(finite, inside), 1.0f);
    EXPECT_LT(through(unbounded, beside), 1.0f);
    EXPECT_EQ(through(finite, beside), 1.0f);
}

//! A slab of `thickness` [cm] centred on the plane through `centre` with
//! unit normal `normal`, limited to |a . (p - centre)| <= halfA and
//! |b . (p - centre)| <= halfB in the plane.
struct Slab {
    std::array<double, 3> centre, normal, a, b;
    double halfA, halfB, thickness;
};

//! Marches from the path's start to its detector's plane in steps of `step`
//! [cm], adding up the length inside the slab; `nearEdge` is set when a step
//! inside the slab lies within `margin` of the slab's sides, where a sheet
//! and a slab of finite thickness may disagree.
double lengthInSlab(const StraightPath& path, const Slab& slab, double step, double margin,
                    bool& nearEdge) {
    const double length = (path.toX - path.x0) / path.u;
    double inside = 0;
    for (double s = step / 2; s < length; s += step) {
        const double p[3] = {path.x0 + s * path.u - slab.centre[0],
                             path.y0 + s * path.v - slab.centre[1],
                             path.z0 + s * path.w - slab.centre[2]};
        const auto dot = [&p](const std::array<double, 3>& e) {
            return p[0] * e[0] + p[1] * e[1] + p[2] * e[2];
        };
        if (std::fabs(dot(slab.normal)) > slab.thickness / 2) continue;
        const double a = std::fabs(dot(slab.a)), b = std::fabs(dot(slab.b));
        if (std::fabs(a - slab.halfA) < margin || std::fabs(b - slab.halfB) < margin) {
            nearEdge = true;
        }
        if (a <= slab.halfA && b <= slab.halfB) inside += step;
    }
    return inside;
}

//! Random paths from inside the 20 cm object to detectors on the worker's
//! side; one in four rises towards the exit-side table.
std::vector<StraightPath> randomPaths(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<StraightPath> paths;
    for (int n = 0; n < count; ++n) {
        const double x0 = -15 + 30 * unit(random), y0 = -20 + 40 * unit(random);
        const double z0 = 20 * unit(random), toX = 60 + 90 * unit(random);
        const double toY = -60 + 120 * unit(random);
        const double toZ =
            n % 4 == 0 ? z0 + (toX - x0) * (0.5 + 4 * unit(random)) : -150 + 200 * unit(random);
        paths.push_back(pathTo(x0, y0, z0, toX, toY, toZ));
    }
    return paths;
}

TEST_F(RoomTest, AShieldInADetectorsPlaneNeverShieldsThatDetector) {
    // Both estimators score the discs of the plane x = 60 cm along other
    // paths: the rule must not hang on the rounding of each path's crossing.
    SceneDescription room;
    room.shields = {shield(0.5, 60, 0, -30, 200, 60, 0)};
    const Scene scene = sceneOf(room);
    std::vector<StraightPath> paths = randomPaths(400, 5);
    int shieldedBefore = 0;
    for (StraightPath& p : paths) {
        shieldedBefore += through(scene, p) < 1.0f;
        p.toX = 60.0f;
        EXPECT_EQ(through(scene, p), 1.0f);
    }
    EXPECT_GT(shieldedBefore, 40);  // beyond the plane the same paths are shielded
}

TEST_F(RoomTest, ShieldAndTableAgreeWithAMarchThroughSlabsOfTheirThickness) {
    // A 2 mm Pb shield tilted -35 degrees and a 3 mm Al exit-side table, each
    // against a march through a slab of its thickness placed like it.
    const double tilt = -35.0 * std::numbers::pi / 180.0;
    SceneDescription room;
    room.shields = {shield(2.0, 40, 5, -30, 50, 60, -35)};
    room.table = SceneTable{3.0, TableSide::Exit, 50};
    const Scene scene = sceneOf(room);
    const Slab shieldSlab{{40, 5, -30},
                          {std::cos(tilt), 0, -std::sin(tilt)},
                          {std::sin(tilt), 0, std::cos(tilt)},
                          {0, 1, 0},
                          30,
                          25,
                          0.2};
    const Slab tableSlab{{0, 0, 20}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 25, 20, 0.3};
    constexpr double STEP = 4e-4, MARGIN = 0.5;
    int shielded = 0, tabled = 0, compared = 0;
    for (const StraightPath& path : randomPaths(60, 7)) {
        bool nearEdge = false;
        const double leadLength = lengthInSlab(path, shieldSlab, STEP, MARGIN, nearEdge);
        const double aluminiumLength = lengthInSlab(path, tableSlab, STEP, MARGIN, nearEdge);
        if (nearEdge) continue;
        ++compared;
        shielded += leadLength > 0;
        tabled += aluminiumLength > 0;
        const double marched = 20.0 * leadLength + 0.8 * aluminiumLength;
        if (marched > 30) continue;  // grazing: the float transmission is lost
        const double exponent = -std::log(static_cast<double>(through(scene, path)));
        EXPECT_NEAR(exponent, marched, 2.0 * (20.0 + 0.8) * STEP + 1e-4 * marched)
            << "from (" << path.x0 << ", " << path.y0 << ", " << path.z0 << ") along (" << path.u
            << ", " << path.v << ", " << path.w << ") to x = " << path.toX;
    }
    EXPECT_GT(compared, 40);
    EXPECT_GT(shielded, 5);
    EXPECT_GT(tabled, 5);
}

namespace hn = hwy::HWY_NAMESPACE;

TEST_F(RoomTest, LanesAgreeWithTheScalarPath) {
    run.curtainLeadThickness = 0.035f;
    run.curtainLength = 60.0f;
    SceneDescription room;
    room.shields = {shield(0.5, 55, 0, -45, 60, 75, 0), shield(1.0, 35, -10, -20, 30, 40, 25)};
    room.curtain = SceneCurtain{50, 5};
    room.table = SceneTable{1.2, TableSide::Exit, 50};
    const Scene scene = sceneOf(room);
    using D = hn::ScalableTag<float>;
    const D d;
    const std::size_t lanes = hn::Lanes(d);
    std::vector<StraightPath> paths = randomPaths(static_cast<int>(64 * lanes), 11);
    for (std::size_t n = 0; n < paths.size(); n += 3) paths[n].toX = 55.0f;  // in a shield's plane
    std::vector<float> energy(paths.size()), scalar(paths.size()), lane(paths.size());
    std::mt19937 random(3);
    for (std::size_t n = 0; n < paths.size(); ++n) {
        const StraightPath& p = paths[n];
        energy[n] = std::uniform_real_distribution<float>(15.0f, 120.0f)(random);
        scalar[n] = transmission(scene, crossLead(scene, p), attenuationAt(scene, energy[n]));
    }
    int crossed = 0;
    for (std::size_t i = 0; i < paths.size(); i += lanes) {
        HWY_ALIGN float values[7][hn::MaxLanes(d)];
        HWY_ALIGN float energies[hn::MaxLanes(d)];
        for (std::size_t k = 0; k < lanes; ++k) {
            const StraightPath& p = paths[i + k];
            const float each[7] = {p.x0, p.y0, p.z0, p.u, p.v, p.w, p.toX};
            for (int f = 0; f < 7; ++f) values[f][k] = each[f];
            energies[k] = energy[i + k];
        }
        const HWY_NAMESPACE::StraightPathLanes<D> path{
            hn::Load(d, values[0]), hn::Load(d, values[1]), hn::Load(d, values[2]),
            hn::Load(d, values[3]), hn::Load(d, values[4]), hn::Load(d, values[5]),
            hn::Load(d, values[6])};
        const auto crossing = HWY_NAMESPACE::crossLead(d, scene, path);
        const auto mu = HWY_NAMESPACE::attenuationAt(d, scene, hn::Load(d, energies));
        hn::StoreU(HWY_NAMESPACE::transmission(d, scene, crossing, mu), d, &lane[i]);
    }
    for (std::size_t n = 0; n < paths.size(); ++n) {
        crossed += scalar[n] < 1.0f;
        EXPECT_NEAR(lane[n], scalar[n], 1e-5f * scalar[n] + 1e-30f) << "path " << n;
    }
    EXPECT_GT(crossed, static_cast<int>(paths.size() / 4));
}

}  // namespace
}  // namespace korvana::engine
