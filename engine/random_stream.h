// The engine's uniform random numbers: an additive lagged Fibonacci generator
// with lags 24 and 55 on 14-bit integers, seeded with a fixed value so that
// identical inputs give identical result files on every run and machine.
#pragma once

#include <array>
#include <cstdint>

namespace korvana::engine {

class RandomStream {
public:
    static constexpr int TABLE_SIZE = 55;     //!< the long lag
    static constexpr int SHORT_LAG = 24;      //!< start of J
    static constexpr int MODULUS = 16384;     //!< 14-bit integers
    static constexpr int SEED = 3783;         //!< IX(1)
    static constexpr int WARM_UP_STEPS = 1000;
    //! 16384.1 rounded to float (16384.099609375): 1 is never reached.
    static constexpr float DIVISOR = 16384.1f;

    //! Seed, fill IX(i) = (2 IX(i-1) + i) mod 16384, warm up 1000 discarded steps.
    void initialise();

    //! One step, returning IX(K)/16384.1 in [0, 16383/16384.1].
    float next() { return valueOf(nextInteger()); }

    //! One step, returning the 14-bit integer IX(K) itself; next() is
    //! valueOf(nextInteger()). Lets a caller index a table by the draw.
    int nextInteger() {
        m_ix[m_k] = (m_ix[m_j] + m_ix[m_k]) % MODULUS;
        const int value = m_ix[m_k];
        if (--m_j == 0) m_j = TABLE_SIZE;
        if (--m_k == 0) m_k = TABLE_SIZE;
        return value;
    }

    static float valueOf(int integer) { return static_cast<float>(integer) / DIVISOR; }

private:
    std::array<std::int32_t, TABLE_SIZE + 1> m_ix{};  //!< IX(1..55); element 0 unused
    int m_j = SHORT_LAG;
    int m_k = TABLE_SIZE;
};

}  // namespace korvana::engine
