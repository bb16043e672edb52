#include "random_stream.h"

namespace korvana::engine {

void RandomStream::initialise() {
    m_ix[1] = SEED;
    for (int i = 2; i <= TABLE_SIZE; ++i) {
        m_ix[i] = (2 * m_ix[i - 1] + i) % MODULUS;
    }
    m_j = SHORT_LAG;
    m_k = TABLE_SIZE;
    for (int step = 0; step < WARM_UP_STEPS; ++step) {
        next();
    }
}

}  // namespace korvana::engine
