// Sampling of the scattering angles against their analytic densities
// (chi-square with a fixed stream), and the direction turn's geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "engine/tallies/angular_density.h"
#include "engine/transport/history.h"
#include "engine/transport/literal_physics.h"

namespace korvana::engine {
namespace {

constexpr int BINS = 20;  // in cos(theta) over [-1, 1]
// Chi-square with 19 degrees of freedom exceeds 43.8 with probability 0.001.
constexpr double CHI_SQUARE_LIMIT = 43.8;

int cosineBin(float mu) {
    const int b = static_cast<int>((mu + 1.0f) / 2.0f * BINS);
    return b < 0 ? 0 : (b >= BINS ? BINS - 1 : b);
}

//! Expected share of each cos(theta) bin of a density given on mu.
std::vector<double> binShares(const std::function<double(double)>& density) {
    std::vector<double> shares(BINS, 0.0);
    const int steps = 20000;
    double total = 0;
    for (int b = 0; b < BINS; ++b) {
        for (int s = 0; s < steps; ++s) {
            const double mu = -1.0 + (b + (s + 0.5) / steps) * 2.0 / BINS;
            shares[b] += density(mu);
        }
        total += shares[b];
    }
    for (double& share : shares) share /= total;
    return shares;
}

double chiSquare(const std::vector<int>& counts, const std::vector<double>& shares, int n) {
    double chi = 0;
    for (int b = 0; b < BINS; ++b) {
        const double expected = shares[b] * n;
        chi += (counts[b] - expected) * (counts[b] - expected) / expected;
    }
    return chi;
}

//! Draws used between two stream states: the smallest k for which advancing
//! `before` k times reproduces what `after` gives next.
int drawsBetween(RandomStream before, const RandomStream& after) {
    for (int k = 0; k < 1000; ++k) {
        RandomStream a = before, b = after;
        bool same = true;
        for (int i = 0; i < 60 && same; ++i) same = a.next() == b.next();
        if (same) return k;
        before.next();
    }
    return -1;
}

//! S(x) at its maximum everywhere: the incoherent rejection always accepts,
//! leaving the Klein-Nishina shape.
struct FlatScatteringFunction {
    float incoherentFunctionAt(float) const { return 1.0f; }
    float incoherentFunctionMax() const { return 1.0f; }
};

TEST(IncoherentScattering, FollowsKleinNishina) {
    const double E = 100.0;
    const auto kleinNishina = [E](double mu) {
        const double P = 1.0 / (1.0 + E / 511.0 * (1.0 - mu));
        return P * P * (P + 1.0 / P - (1.0 - mu * mu));
    };
    RandomStream stream = RandomStream::withFixedSeed();
    std::vector<int> counts(BINS, 0);
    const int n = 200000;
    FlatScatteringFunction physics;
    for (int i = 0; i < n; ++i) {
        const RandomStream before = stream;
        const ScatteringResult r = sampleIncoherent(static_cast<float>(E), physics, stream);
        ++counts[cosineBin(r.cosTheta)];
        // Compton kinematics and a consistent angle on every sample.
        const double expectedEnergy = E / (1.0 + E / 511.0 * (1.0 - r.cosTheta));
        ASSERT_NEAR(r.energy, expectedEnergy, 1e-4 * E);
        ASSERT_NEAR(r.cosTheta * r.cosTheta + r.sinTheta * r.sinTheta, 1.0f, 1e-5f);
        ASSERT_GE(r.sinTheta, 0.0f);
        // Three draws an attempt, and one more for the S(x) test of the accepted
        // attempt (x < 10 at 100 keV).
        if (i < 2000) {
            const int draws = drawsBetween(before, stream);
            ASSERT_GE(draws, 4);
            ASSERT_EQ((draws - 4) % 3, 0) << draws;
        }
    }
    EXPECT_LT(chiSquare(counts, binShares(kleinNishina), n), CHI_SQUARE_LIMIT);
}

TEST(IncoherentScattering, ScatteringFunctionSuppressesForwardAngles) {
    // S(x) = x/10 up to 10: small momentum transfers are rejected most.
    struct Linear {
        float incoherentFunctionAt(float x) const { return x / 10.0f; }
        float incoherentFunctionMax() const { return 1.0f; }
    } physics;
    RandomStream stream = RandomStream::withFixedSeed();
    int forward = 0, backward = 0;
    for (int i = 0; i < 50000; ++i) {
        const float mu = sampleIncoherent(30.0f, physics, stream).cosTheta;
        if (mu > 0.5f) ++forward;
        if (mu < -0.5f) ++backward;
    }
    FlatScatteringFunction flat;
    int flatForward = 0;
    for (int i = 0; i < 50000; ++i)
        flatForward += sampleIncoherent(30.0f, flat, stream).cosTheta > 0.5f;
    EXPECT_LT(forward, flatForward / 2);
    EXPECT_GT(backward, forward);
}

//! A scatter-factor table whose form-factor integral is x^2 (constant form
//! factor) on rows x = 0, 0.25, ..., 11.
TissueTables constantFormFactorTables() {
    TissueTables t;
    t.rowCount = 2;
    t.rows[1] = {1.0f, 1.0f, 1.0f, 1.0f};
    t.rows[2] = {200.0f, 1.0f, 1.0f, 1.0f};
    for (int j = 1; j <= SCATTER_FACTOR_ROWS; ++j) {
        const float x = 0.25f * static_cast<float>(j - 1);
        t.scatter[j] = {x, x * x, 1.0f};
    }
    t.formFactorIntegralMax = t.scatter[45].formFactorIntegral;
    t.incoherentFunctionMax = 1.0f;
    return t;
}

TEST(CoherentScattering, FollowsFormFactorTimesThomson) {
    const TissueTables tables = constantFormFactorTables();
    LiteralPhysics physics(tables);
    const double E = 50.0;
    // The inversion is linear in x between rows: within a row the density of x
    // is flat with the row's share of the integral; s = x hc/E; mu = 1 - 2 s^2.
    const auto density = [&](double mu) {
        const double s = std::sqrt((1.0 - mu) / 2.0);
        const double x = s * E / 12.4;
        const int j = static_cast<int>(x / 0.25);
        const double rowShare = (0.25 * (j + 1)) * (0.25 * (j + 1)) - (0.25 * j) * (0.25 * j);
        const double densityOfX = rowShare / 0.25;
        const double dxdmu = (E / 12.4) / (4.0 * s);
        return densityOfX * dxdmu * (1.0 + mu * mu) / 2.0;
    };
    RandomStream stream = RandomStream::withFixedSeed();
    std::vector<int> counts(BINS, 0);
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        const ScatteringResult r = sampleCoherent(static_cast<float>(E), physics, stream);
        ASSERT_EQ(r.energy, static_cast<float>(E));  // coherent scattering keeps the energy
        ++counts[cosineBin(r.cosTheta)];
    }
    EXPECT_LT(chiSquare(counts, binShares(density), n), CHI_SQUARE_LIMIT);
}

// The next-event estimator's densities, on the shipped tables: each is a
// probability density over the sphere and follows its own sampler.
TEST(AngularDensities, IntegrateToOneAndFollowTheirSamplers) {
    const TissueTables tables = loadTissueTables(std::string(KORVANA_DATA_DIR) + "/ICRUSoft.dat");
    const AngularDensities densities(tables);
    LiteralPhysics physics(tables);
    RandomStream stream = RandomStream::withFixedSeed();
    // 20 and 80 keV lie on the energy grid, 47.3 keV between its points.
    for (const double E : {20.0, 47.3, 80.0}) {
        SCOPED_TRACE(E);
        const auto sphereIntegral = [](const std::function<double(double)>& perSteradian) {
            // Over theta, where sin(theta) tames the forward peak of coherent scattering.
            const int steps = 200000;
            double sum = 0;
            for (int i = 0; i < steps; ++i) {
                const double theta = (i + 0.5) * M_PI / steps;
                sum += perSteradian(std::cos(theta)) * 2.0 * M_PI * std::sin(theta) * M_PI / steps;
            }
            return sum;
        };
        const auto coherent = [&](double mu) { return densities.coherent(E, mu); };
        const auto incoherent = [&](double mu) { return densities.incoherent(E, mu); };
        EXPECT_NEAR(sphereIntegral(coherent), 1.0, 2e-3);
        EXPECT_NEAR(sphereIntegral(incoherent), 1.0, 2e-4);

        const int n = 200000;
        std::vector<int> coherentCounts(BINS, 0), incoherentCounts(BINS, 0);
        for (int i = 0; i < n; ++i) {
            ++coherentCounts[cosineBin(
                sampleCoherent(static_cast<float>(E), physics, stream).cosTheta)];
            ++incoherentCounts[cosineBin(
                sampleIncoherent(static_cast<float>(E), physics, stream).cosTheta)];
        }
        EXPECT_LT(chiSquare(coherentCounts, binShares(coherent), n), CHI_SQUARE_LIMIT);
        EXPECT_LT(chiSquare(incoherentCounts, binShares(incoherent), n), CHI_SQUARE_LIMIT);
    }
}

TEST(TurnDirection, KeepsUnitLengthAndTurnsByTheScatteringAngle) {
    RandomStream stream = RandomStream::withFixedSeed();
    for (int i = 0; i < 100000; ++i) {
        const float theta = stream.next() * PI;
        const float phi = stream.next() * 2.0f * PI;
        Photon p;
        p.cosTheta = std::cos(theta);
        p.sinTheta = std::sin(theta);
        p.cosPhi = std::cos(phi);
        p.sinPhi = std::sin(phi);
        const float u0 = p.u(), v0 = p.v(), w0 = p.w();
        const float scatter = stream.next() * PI;
        const float azimuth = stream.next() * 2.0f * PI;
        turnDirection(p, std::cos(scatter), std::sin(scatter), std::cos(azimuth),
                      std::sin(azimuth));
        // The azimuth update divides by the old sin(theta): near the axis its
        // rounding grows as 1/sin(theta), so the tight check stays away from it.
        const float tolerance = std::fabs(std::sin(theta)) > 0.05f ? 5e-5f : 2e-3f;
        ASSERT_NEAR(p.u() * p.u() + p.v() * p.v() + p.w() * p.w(), 1.0f, tolerance);
        ASSERT_NEAR(u0 * p.u() + v0 * p.v() + w0 * p.w(), std::cos(scatter), 4 * tolerance);
        ASSERT_LE(std::fabs(p.cosTheta), 1.0f);
    }
}

TEST(TurnDirection, FromTheAxis) {
    Photon p;  // along +z: sinTheta = 0
    turnDirection(p, 0.6f, 0.8f, 0.0f, 1.0f);
    EXPECT_EQ(p.cosTheta, 0.6f);
    EXPECT_FLOAT_EQ(p.sinTheta, 0.8f);
    EXPECT_EQ(p.sinPhi, 1.0f);
    EXPECT_EQ(p.cosPhi, -0.0f);
    Photon q;
    turnDirection(q, 1.0f, 0.0f, 1.0f, 0.0f);  // no turn: stays on the axis
    EXPECT_EQ(q.cosTheta, 1.0f);
    EXPECT_EQ(q.sinTheta, 0.0f);
    EXPECT_EQ(q.cosPhi, 1.0f);
    EXPECT_EQ(q.sinPhi, 0.0f);
}

TEST(Escape, OnlyScatteredPhotonsTowardsTheWorkerScore) {
    Photon p;
    p.scattered = true;
    p.cosTheta = 0.6f;
    p.sinTheta = 0.8f;
    p.cosPhi = 1.0f;
    p.sinPhi = 0.0f;
    EXPECT_TRUE(isScorable(p));
    Photon primary = p;
    primary.scattered = false;
    EXPECT_FALSE(isScorable(primary));
    Photon away = p;
    away.cosPhi = -0.1f;
    EXPECT_FALSE(isScorable(away));
    Photon parallel = p;
    parallel.cosTheta = 0.0f;
    parallel.sinTheta = 1.0f;
    EXPECT_FALSE(isScorable(parallel));
    Photon alongY = p;
    alongY.cosPhi = 0.0f;
    alongY.sinPhi = 1.0f;
    EXPECT_FALSE(isScorable(alongY));  // u = 0
    Photon axial = p;
    axial.cosTheta = 1.0f;
    axial.sinTheta = 0.0f;
    EXPECT_FALSE(isScorable(axial));
}

}  // namespace
}  // namespace korvana::engine
