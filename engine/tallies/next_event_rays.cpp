// Compiled once per instruction set by Highway's foreach_target; the lanes
// follow the scalar scoring's formulas step by step (next_event.h), and take
// the lead from the scene's lane functions (scene-inl.h).
#include "engine/tallies/next_event_rays.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "engine/constants.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/tallies/next_event_rays.cpp"
#include "hwy/foreach_target.h"  // IWYU pragma: keep
// Highway's headers after foreach_target, as it requires.
#include "engine/scene/scene-inl.h"
#include "engine/transport/grid_lookup-inl.h"
#include "hwy/contrib/math/math-inl.h"
#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace korvana::engine {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using FloatTag = hn::ScalableTag<float>;
using IntTag = hn::RebindToSigned<FloatTag>;
using FloatVec = hn::Vec<FloatTag>;
using IntVec = hn::Vec<IntTag>;

//! The transport's total coefficient [1/cm] at E [keV]: log-log between the
//! tissue rows, the row the first above E among rows 2..N-1, else N.
HWY_INLINE FloatVec totalCoefficients(const RayTables& t, FloatVec E) {
    const FloatTag d;
    const IntTag di;
    IntVec j = hn::Set(di, 2);
    for (int row = 2; row < t.tissueRows; ++row) {
        const auto above = hn::Le(hn::Set(d, t.tissueEnergy[static_cast<std::size_t>(row)]), E);
        j = hn::Sub(j, hn::VecFromMask(di, hn::RebindMask(di, above)));
    }
    const auto gather = [&](const std::array<float, 32>& a) {
        return hn::GatherIndex(d, a.data(), j);
    };
    const FloatVec f =
        hn::Div(hn::Sub(hn::Log(d, E), gather(t.previousLnEnergy)), gather(t.dLnEnergy));
    const auto at = [&](const std::array<float, 32>& lnPrevious, const std::array<float, 32>& dLn) {
        return hn::Exp(d, hn::Add(gather(lnPrevious), hn::Mul(f, gather(dLn))));
    };
    return hn::Add(hn::Add(at(t.previousLnPhotoelectric, t.dLnPhotoelectric),
                           at(t.previousLnIncoherent, t.dLnIncoherent)),
                   at(t.previousLnCoherent, t.dLnCoherent));
}

void ScoreRays(const RayTables& t, const RayCollision& c, RayBatch& b) {
    const FloatTag d;
    const IntTag di;
    const std::size_t lanes = hn::Lanes(d);
    const FloatVec zero = hn::Zero(d), one = hn::Set(d, 1.0f), half = hn::Set(d, 0.5f);
    const FloatVec px = hn::Set(d, c.x), py = hn::Set(d, c.y), pz = hn::Set(d, c.z);
    const FloatVec E = hn::Set(d, c.energy);
    const FloatVec never = hn::Set(d, std::numeric_limits<float>::max());
    const FloatVec energyOverRest = hn::Set(d, c.energy / ELECTRON_REST_ENERGY_KEV);
    // x = sin(theta/2) E / hc; the coherent shape divides by 4 k^2 x, k = hc/E.
    const float k = HC_KEV_ANGSTROM / c.energy;
    const FloatVec fourKSquared = hn::Set(d, 4.0f * k * k);
    const float lastX = t.scatterX[SCATTER_FACTOR_ROWS];

    for (std::size_t i = 0; i < static_cast<std::size_t>(b.count); i += lanes) {
        // The ray: its length, direction, solid angle and way out of the object.
        const FloatVec discX = hn::Load(d, &b.discX[i]);
        const FloatVec dx = hn::Sub(discX, px);
        const FloatVec dy = hn::Sub(hn::Load(d, &b.discY[i]), py);
        const FloatVec dz = hn::Sub(hn::Load(d, &b.discZ[i]), pz);
        const FloatVec r2 = hn::Add(hn::Add(hn::Mul(dx, dx), hn::Mul(dy, dy)), hn::Mul(dz, dz));
        const FloatVec r = hn::Sqrt(r2);
        const FloatVec u = hn::Div(dx, r), v = hn::Div(dy, r), w = hn::Div(dz, r);
        const FloatVec cosTheta =
            hn::Add(hn::Add(hn::Mul(u, hn::Set(d, c.u)), hn::Mul(v, hn::Set(d, c.v))),
                    hn::Mul(w, hn::Set(d, c.w)));
        const FloatVec solidAngle = hn::Div(hn::Mul(hn::Load(d, &b.discArea[i]), u), r2);
        const FloatVec toX = hn::Div(hn::Sub(hn::Set(d, t.scene.box.xMax), px), u);
        const FloatVec toY = hn::IfThenElse(
            hn::Gt(v, zero), hn::Div(hn::Sub(hn::Set(d, t.scene.box.yMax), py), v),
            hn::IfThenElse(hn::Lt(v, zero), hn::Div(hn::Sub(hn::Set(d, t.scene.box.yMin), py), v),
                           never));
        const FloatVec toZ = hn::IfThenElse(
            hn::Gt(w, zero), hn::Div(hn::Sub(hn::Set(d, t.scene.box.zMax), pz), w),
            hn::IfThenElse(hn::Lt(w, zero), hn::Div(hn::Sub(hn::Set(d, t.scene.box.zMin), pz), w),
                           never));
        const FloatVec depth = hn::Max(zero, hn::Min(hn::Min(toX, toY), toZ));
        const FloatVec sdir = hn::Sqrt(hn::Add(hn::Mul(u, u), hn::Mul(v, v)));
        const auto lead =
            crossLead(d, t.scene, StraightPathLanes<FloatTag>{px, py, pz, u, v, w, discX});

        // The scatter-factor row of x: the first of rows 2..45 with x(j) >= x.
        const FloatVec oneMinusCos = hn::Sub(one, cosTheta);
        const FloatVec x = hn::Div(hn::Mul(hn::Sqrt(hn::Max(zero, hn::Mul(oneMinusCos, half))), E),
                                   hn::Set(d, HC_KEV_ANGSTROM));
        const IntVec cell = hn::Min(hn::ConvertTo(di, hn::Mul(x, hn::Set(d, t.rowCellsPerX))),
                                    hn::Set(di, static_cast<std::int32_t>(t.rowAtCell.size()) - 1));
        IntVec row = hn::GatherIndex(di, t.rowAtCell.data(), cell);
        for (int step = 0; step < t.rowSteps; ++step) {
            const auto past = hn::Lt(hn::GatherIndex(d, t.searchX.data(), row), x);
            row = hn::Sub(row, hn::VecFromMask(di, hn::RebindMask(di, past)));
        }
        const FloatVec cosSquared = hn::Mul(cosTheta, cosTheta);

        // Coherent scattering: density of x times |dx/dmu| times Thomson, on the table's range.
        const auto inTable = hn::And(hn::And(hn::Gt(x, zero), hn::Ge(x, hn::Set(d, t.scatterX[1]))),
                                     hn::Le(x, hn::Set(d, lastX)));
        const FloatVec coherentShape = hn::Mul(
            hn::Div(hn::GatherIndex(d, t.coherentDensityOfX.data(), row), hn::Mul(fourKSquared, x)),
            hn::Mul(hn::Add(one, cosSquared), half));
        const FloatVec coherent =
            hn::IfThenElseZero(inTable, hn::Div(coherentShape, hn::Set(d, c.coherentNorm)));
        const FloatVec coherentCrossings =
            hn::Mul(hn::Mul(hn::Mul(hn::Set(d, c.coherentShare), coherent),
                            hn::Exp(d, hn::Mul(hn::Set(d, -c.muTotal), depth))),
                    solidAngle);
        // Without lead on any lane the lookups of its attenuation are skipped.
        const FloatVec coherentLead =
            lead.anyLead ? transmission(d, t.scene, lead, attenuationLanes(d, c.attenuation)) : one;
        const FloatVec coherentWeighted = hn::IfThenElseZero(
            hn::Gt(coherentCrossings, zero), hn::Mul(coherentCrossings, coherentLead));
        const FloatVec weight = hn::Load(d, &b.kermaWeight[i]);
        hn::Store(coherentWeighted, d, &b.coherentWeighted[i]);
        hn::Store(hn::Div(hn::Mul(hn::Mul(hn::Mul(weight, E), hn::Set(d, c.airAtEnergy)),
                                  coherentWeighted),
                          sdir),
                  d, &b.coherentKerma[i]);

        // Incoherent scattering: Klein-Nishina times S(x)/S(max), then the
        // way out at the energy after scattering.
        const FloatVec scattered = hn::Div(E, hn::Add(one, hn::Mul(energyOverRest, oneMinusCos)));
        const FloatVec ratio = hn::Div(one, hn::Add(one, hn::Mul(energyOverRest, oneMinusCos)));
        const FloatVec kleinNishina =
            hn::Mul(hn::Mul(ratio, ratio),
                    hn::Sub(hn::Add(ratio, hn::Div(one, ratio)), hn::Sub(one, cosSquared)));
        const FloatVec functionRatio =
            hn::Add(hn::GatherIndex(d, t.incoherentRatioAtPrevious.data(), row),
                    hn::Mul(hn::Sub(x, hn::GatherIndex(d, t.previousX.data(), row)),
                            hn::GatherIndex(d, t.incoherentRatioSlope.data(), row)));
        const FloatVec incoherent = hn::Div(
            hn::Mul(kleinNishina, hn::IfThenElse(hn::Lt(x, hn::Set(d, INCOHERENT_TEST_LIMIT)),
                                                 functionRatio, one)),
            hn::Set(d, c.incoherentNorm));
        const FloatVec incoherentCrossings =
            hn::Mul(hn::Mul(hn::Mul(hn::Set(d, c.incoherentShare), incoherent),
                            hn::Exp(d, hn::Mul(hn::Neg(totalCoefficients(t, scattered)), depth))),
                    solidAngle);
        const FloatVec incoherentLead =
            lead.anyLead ? transmission(d, t.scene, lead, attenuationAt(d, t.scene, scattered))
                         : one;
        const auto arrives = hn::And(hn::Gt(incoherentCrossings, zero),
                                     hn::Ge(scattered, hn::Set(d, ENERGY_CUTOFF_KEV)));
        const FloatVec incoherentWeighted =
            hn::IfThenElseZero(arrives, hn::Mul(incoherentCrossings, incoherentLead));
        hn::Store(scattered, d, &b.scatteredEnergy[i]);
        hn::Store(incoherentWeighted, d, &b.incoherentWeighted[i]);
        hn::Store(hn::Div(hn::Mul(hn::Mul(hn::Mul(weight, scattered),
                                          gridValue(d, *t.airEnergyAbsorption, scattered)),
                                  incoherentWeighted),
                          sdir),
                  d, &b.incoherentKerma[i]);
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace korvana::engine
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace korvana::engine {

// The choice among the compiled instruction sets is made here rather than by
// Highway's own dispatch, which lives in its shared library: that library
// calibrates a timer when it loads, some 5 ms at the start of every program
// linking the engine.
std::vector<RayCode> rayCodes() {
    std::vector<RayCode> codes;
    __builtin_cpu_init();
#if HWY_TARGETS & HWY_AVX3
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw")) {
        codes.push_back({hwy::TargetName(HWY_AVX3), &N_AVX3::ScoreRays});
    }
#endif
#if HWY_TARGETS & HWY_AVX2
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
        __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2")) {
        codes.push_back({hwy::TargetName(HWY_AVX2), &N_AVX2::ScoreRays});
    }
#endif
#if HWY_TARGETS & HWY_SSE4
    if (__builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("pclmul") &&
        __builtin_cpu_supports("aes")) {
        codes.push_back({hwy::TargetName(HWY_SSE4), &N_SSE4::ScoreRays});
    }
#endif
    // What every x86-64 runs.
    codes.push_back({hwy::TargetName(HWY_STATIC_TARGET), &HWY_STATIC_DISPATCH(ScoreRays)});
    return codes;
}

RayTables::RayTables(const TissueTables& tissue, const GridTable& air, const Scene& sceneIn)
    : tissueRows(tissue.rowCount), airEnergyAbsorption(&air), scene(sceneIn) {
    const auto& s = tissue.scatter;
    for (int j = 1; j <= SCATTER_FACTOR_ROWS; ++j) {
        const std::size_t i = static_cast<std::size_t>(j);
        scatterX[i] = s[i].x;
        if (j < 2) continue;
        // The per-row densities in double, as the scalar scoring forms them.
        const double width = static_cast<double>(s[i].x) - s[i - 1].x;
        if (!(width > 0.0)) continue;  // an empty row: no x falls in it
        coherentDensityOfX[i] = static_cast<float>(
            (static_cast<double>(s[i].formFactorIntegral) - s[i - 1].formFactorIntegral) / width);
        previousX[i] = s[i - 1].x;
        incoherentRatioAtPrevious[i] = static_cast<float>(
            static_cast<double>(s[i - 1].incoherentFunction) / tissue.incoherentFunctionMax);
        incoherentRatioSlope[i] = static_cast<float>(
            (static_cast<double>(s[i].incoherentFunction) - s[i - 1].incoherentFunction) / width /
            tissue.incoherentFunctionMax);
    }
    // The row of x is 2 plus the rows 2..44 with x(j) < x. A cell of the
    // uniform grid starts its count with the rows below it, less a margin for
    // the rounding of the cell number, and goes on over the rows within
    // reach: the cells are half the narrowest row, so usually one.
    searchX.fill(std::numeric_limits<float>::infinity());
    float narrowest = std::numeric_limits<float>::max();
    for (int j = 2; j <= SCATTER_FACTOR_ROWS; ++j) {
        const std::size_t i = static_cast<std::size_t>(j);
        if (j < SCATTER_FACTOR_ROWS) searchX[i] = s[i].x;
        if (s[i].x > s[i - 1].x) narrowest = std::min(narrowest, s[i].x - s[i - 1].x);
    }
    const float lastX = s[SCATTER_FACTOR_ROWS].x;
    constexpr float MOST_CELLS = 16384.0f;  // the grid's size, whatever the table
    rowCellsPerX = std::min(2.0f / narrowest, MOST_CELLS / std::max(lastX, 1e-3f));
    const int cellCount = static_cast<int>(lastX * rowCellsPerX) + 2;
    rowAtCell.assign(static_cast<std::size_t>(cellCount), 2);
    for (int m = 0; m < cellCount; ++m) {
        const float margin = 0.125f;  // [cells]
        const float from = (static_cast<float>(m) - margin) / rowCellsPerX;
        const float to = m + 1 == cellCount ? std::numeric_limits<float>::infinity()
                                            : (static_cast<float>(m + 1) + margin) / rowCellsPerX;
        int below = 2, within = 0;
        for (int j = 2; j < SCATTER_FACTOR_ROWS; ++j) {
            const float xj = s[static_cast<std::size_t>(j)].x;
            below += xj < from;
            within += xj >= from && xj < to;
        }
        rowAtCell[static_cast<std::size_t>(m)] = below;
        rowSteps = std::max(rowSteps, within);
    }
    assert(rowSteps + SCATTER_FACTOR_ROWS < static_cast<int>(searchX.size()));

    // The logarithms exactly as the transport's fast lookups take them.
    std::array<float, 32> lnEnergy{}, lnCoherent{}, lnIncoherent{}, lnPhotoelectric{};
    for (int j = 1; j <= tissue.rowCount; ++j) {
        const std::size_t i = static_cast<std::size_t>(j);
        const TissueCrossSectionRow& row = tissue.rows[i];
        tissueEnergy[i] = row.energy;
        lnEnergy[i] = std::log(row.energy);
        lnCoherent[i] = std::log(row.coherent);
        lnIncoherent[i] = std::log(row.incoherent);
        lnPhotoelectric[i] = std::log(row.photoelectric);
        if (j < 2) continue;
        previousLnEnergy[i] = lnEnergy[i - 1];
        dLnEnergy[i] = lnEnergy[i] - lnEnergy[i - 1];
        previousLnCoherent[i] = lnCoherent[i - 1];
        dLnCoherent[i] = lnCoherent[i] - lnCoherent[i - 1];
        previousLnIncoherent[i] = lnIncoherent[i - 1];
        dLnIncoherent[i] = lnIncoherent[i] - lnIncoherent[i - 1];
        previousLnPhotoelectric[i] = lnPhotoelectric[i - 1];
        dLnPhotoelectric[i] = lnPhotoelectric[i] - lnPhotoelectric[i - 1];
    }
}

}  // namespace korvana::engine
#endif  // HWY_ONCE
