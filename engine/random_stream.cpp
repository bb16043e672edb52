#include "engine/random_stream.h"

#include "engine/block_key.h"

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

void RandomStream::initialiseForBlock(std::uint64_t seed, int bin, std::int64_t block) {
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
    m_k = 0;
    for (int step = 0; step < WARM_UP_STEPS; ++step) {
        nextInteger();
    }
}

}  // namespace korvana::engine
