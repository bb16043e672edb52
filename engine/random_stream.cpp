#include "engine/random_stream.h"

namespace korvana::engine {

void RandomStream::initialise() {
    m_ix[1] = SEED;
    for (int i = 2; i <= TABLE_SIZE; ++i) {
        m_ix[i] = (2 * m_ix[i - 1] + i) % MODULUS;
    }
    m_k = 0;  // the first step starts a sweep at K = 55, J = 24
    for (int step = 0; step < WARM_UP_STEPS; ++step) {
        nextInteger();
    }
}

namespace {

//! SplitMix64's step (Steele, Lea and Flood 2014): a full-period 64-bit
//! sequence with a strong output mix, the usual way to seed other generators.
std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

void RandomStream::initialiseForBlock(std::uint64_t seed, int bin, std::int64_t block) {
    // The key passes seed, bin and block each through the mix, so that
    // neighbouring blocks and bins start far apart in SplitMix64's sequence.
    std::uint64_t state = seed;
    std::uint64_t key = splitMix64(state);
    state = key ^ static_cast<std::uint64_t>(bin);
    key = splitMix64(state);
    state = key ^ static_cast<std::uint64_t>(block);
    key = splitMix64(state);
    state = key;

    constexpr int PIECES_PER_OUTPUT = 4;  // 4 x 14 of the 64 bits
    std::uint64_t bits = 0;
    for (int i = 1; i <= TABLE_SIZE - 3; ++i) {
        if ((i - 1) % PIECES_PER_OUTPUT == 0) bits = splitMix64(state);
        m_ix[i] = static_cast<std::int32_t>(bits & (MODULUS - 1));
        bits >>= 14;
    }
    m_ix[1] |= 1;
    m_ix[TABLE_SIZE - 2] = bin & (MODULUS - 1);
    m_ix[TABLE_SIZE - 1] = static_cast<std::int32_t>(block & (MODULUS - 1));
    m_ix[TABLE_SIZE] = static_cast<std::int32_t>((block >> 14) & (MODULUS - 1));
    m_k = 0;
    for (int step = 0; step < WARM_UP_STEPS; ++step) {
        nextInteger();
    }
}

}  // namespace korvana::engine
