// The key of one block of histories: a 64-bit value mixed from (seed, bin,
// block), from which the block's random stream and its next-event scoring
// sequence are both derived, each from its own stretch of SplitMix64.
#pragma once

#include <cstdint>

namespace korvana::engine {

//! SplitMix64's step (Steele, Lea and Flood 2014): a full-period 64-bit
//! sequence with a strong output mix, the usual way to seed other generators.
inline std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

//! Passes seed, bin and block each through the mix, so that neighbouring
//! blocks and bins get unrelated keys.
inline std::uint64_t blockKey(std::uint64_t seed, int bin, std::int64_t block) {
    std::uint64_t state = seed;
    std::uint64_t key = splitMix64(state);
    state = key ^ static_cast<std::uint64_t>(bin);
    key = splitMix64(state);
    state = key ^ static_cast<std::uint64_t>(block);
    return splitMix64(state);
}

}  // namespace korvana::engine
