#include "engine/transport/random_stream.h"

#include "engine/transport/block_key.h"

namespace korvana::engine {

void RandomStream::warmUp() {
    m_k = 0;  // the first step starts a sweep at K = 55, J = 24
    for (int step = 0; step < WARM_UP_STEPS; ++step) {
        nextInteger();
    }
}

RandomStream RandomStream::withFixedSeed() {
    RandomStream s;
    s.m_ix[1] = SEED;
    for (int i = 2; i <= TABLE_SIZE; ++i) {
        s.m_ix[i] = (2 * s.m_ix[i - 1] + i) % MODULUS;
    }
    s.warmUp();
    return s;
}

RandomStream RandomStream::forBlock(std::uint64_t seed, int bin, std::int64_t block) {
    RandomStream s;
    std::array<std::int32_t, TABLE_SIZE + 1>& m_ix = s.m_ix;
    std::uint64_t state = blockKey(seed, bin, block);

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
    s.warmUp();
    return s;
}

}  // namespace korvana::engine
