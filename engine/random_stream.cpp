#include "random_stream.h"

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

}  // namespace korvana::engine
