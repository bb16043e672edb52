// gridValue (grid_lookup.h) in vector lanes, in the same float operations.
// Compiled once per instruction set: include it after Highway's
// foreach_target, like any per-target header of Highway's.

// Per-target include guard, toggled by foreach_target for each instruction set.
#if defined(KORVANA_ENGINE_TRANSPORT_GRID_LOOKUP_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef KORVANA_ENGINE_TRANSPORT_GRID_LOOKUP_INL_H_
#undef KORVANA_ENGINE_TRANSPORT_GRID_LOOKUP_INL_H_
#else
#define KORVANA_ENGINE_TRANSPORT_GRID_LOOKUP_INL_H_
#endif

#include "engine/transport/grid_lookup.h"
#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace korvana::engine {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

//! The table's value at the energies E [keV] of the lanes.
template <class D>
HWY_INLINE hn::Vec<D> gridValue(D d, const GridTable& table, hn::Vec<D> E) {
    const hn::RebindToSigned<D> di;
    using IntVec = hn::Vec<decltype(di)>;
    const IntVec k = hn::Add(hn::ConvertTo(di, hn::Mul(hn::Set(d, 2.0f), E)), hn::Set(di, 1));
    const auto beyond = hn::RebindMask(d, hn::Gt(k, hn::Set(di, GRID_BINS)));
    const IntVec upper = hn::Min(k, hn::Set(di, GRID_BINS));
    const IntVec lower = hn::Sub(upper, hn::Set(di, 1));
    const hn::Vec<D> low = hn::GatherIndex(d, table.data(), lower);
    const hn::Vec<D> high = hn::GatherIndex(d, table.data(), upper);
    const hn::Vec<D> lowerEnergy = hn::Mul(hn::ConvertTo(d, lower), hn::Set(d, BIN_WIDTH_KEV));
    const hn::Vec<D> value = hn::Add(
        low,
        hn::Div(hn::Mul(hn::Sub(E, lowerEnergy), hn::Sub(high, low)), hn::Set(d, BIN_WIDTH_KEV)));
    return hn::IfThenElse(beyond, hn::Set(d, table[GRID_BINS]), value);
}

}  // namespace HWY_NAMESPACE
}  // namespace korvana::engine
HWY_AFTER_NAMESPACE();

#endif  // per-target include guard
