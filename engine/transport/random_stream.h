// The engine's uniform random numbers: an additive lagged Fibonacci generator
// with lags 24 and 55 on 14-bit integers, seeded with a fixed value so that
// identical inputs give identical result files on every run and machine.
//
// One step sets IX(K) = (IX(J) + IX(K)) mod 16384 and returns it, then moves J
// and K down by one (from 1 back to 55); J starts at 24 and K at 55, so J is
// always K - 31 modulo 55. The 55 steps of one sweep of K from 55 to 1 are
// made together, in the same order, and handed out one by one: the values are
// those of the step-by-step definition.
#pragma once

#include <array>
#include <cstdint>

namespace korvana::engine {

class RandomStream {
public:
    static constexpr int TABLE_SIZE = 55;  //!< the long lag
    static constexpr int SHORT_LAG = 24;   //!< start of J
    static constexpr int MODULUS = 16384;  //!< 14-bit integers
    static constexpr int SEED = 3783;      //!< IX(1)
    static constexpr int WARM_UP_STEPS = 1000;
    //! 16384.1 rounded to float (16384.099609375): 1 is never reached.
    static constexpr float DIVISOR = 16384.1f;

    //! The engine's one stream: seed, fill IX(i) = (2 IX(i-1) + i) mod 16384,
    //! warm up 1000 discarded steps.
    static RandomStream withFixedSeed();

    //! The stream of one block of histories in the parallel mode: IX(1..52)
    //! are 14-bit pieces of SplitMix64 outputs started from a key that mixes
    //! (seed, bin, block); IX(53..55) hold the bin and the block number
    //! themselves, so no two blocks of one seed start from the same state;
    //! IX(1) is made odd, which an additive generator modulo 2^14 needs for
    //! its full period. Then the same 1000 warm-up steps.
    static RandomStream forBlock(std::uint64_t seed, int bin, std::int64_t block);

    //! One step, returning IX(K)/16384.1 in [0, 16383/16384.1].
    float next() { return valueOf(nextInteger()); }

    //! One step, returning the 14-bit integer IX(K) itself; next() is
    //! valueOf(nextInteger()). Lets a caller index a table by the draw.
    int nextInteger() {
        if (m_k == 0) sweep();
        return m_ix[m_k--];
    }

    static float valueOf(int integer) { return static_cast<float>(integer) / DIVISOR; }

private:
    RandomStream() = default;  //!< an empty table: only the named constructors fill one
    void warmUp();

    //! The steps for K = 55 down to 1, in order (J = K - 31, or K + 24 below 32).
    void sweep() {
        for (int k = TABLE_SIZE; k > TABLE_SIZE - SHORT_LAG; --k) {
            m_ix[k] = (m_ix[k - (TABLE_SIZE - SHORT_LAG)] + m_ix[k]) & (MODULUS - 1);
        }
        for (int k = TABLE_SIZE - SHORT_LAG; k >= 1; --k) {
            m_ix[k] = (m_ix[k + SHORT_LAG] + m_ix[k]) & (MODULUS - 1);
        }
        m_k = TABLE_SIZE;
    }

    std::array<std::int32_t, TABLE_SIZE + 1> m_ix{};  //!< IX(1..55); element 0 unused
    int m_k = 0;  //!< the K whose value is handed out next; 0 when the sweep is used up
};

}  // namespace korvana::engine
