#include "engine/tallies/angular_density.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include "engine/constants.h"

namespace korvana::engine {

namespace {

//! 8-point Gauss-Legendre nodes and weights on [-1, 1].
constexpr std::array<double, 8> GL_NODES = {
    -0.9602898564975363, -0.7966664774136267, -0.5255324099163290, -0.1834346424956498,
    0.1834346424956498,  0.5255324099163290,  0.7966664774136267,  0.9602898564975363};
constexpr std::array<double, 8> GL_WEIGHTS = {
    0.1012285362903763, 0.2223810344533745, 0.3137066458778873, 0.3626837833783620,
    0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};

template <class F>
double gaussLegendre(double a, double b, const F& f) {
    const double half = 0.5 * (b - a), mid = 0.5 * (a + b);
    double sum = 0;
    for (std::size_t i = 0; i < GL_NODES.size(); ++i)
        sum += GL_WEIGHTS[i] * f(mid + half * GL_NODES[i]);
    return sum * half;
}

constexpr double HC = HC_KEV_ANGSTROM;
constexpr double MC2 = ELECTRON_REST_ENERGY_KEV;

//! mu at momentum transfer x [1/A] for energy E: 1 - 2 (x hc/E)^2.
double cosineAt(double x, double E) {
    const double s = x * HC / E;
    return 1.0 - 2.0 * s * s;
}

//! The normalisations for the scatter-factor table the process last built
//! densities for. They depend on that table alone, and every thread of a run,
//! and every run of a study or of the live window, would otherwise integrate
//! them anew.
struct NormalisationCache {
    std::mutex mutex;
    bool filled = false;
    std::array<ScatterFactorRow, SCATTER_FACTOR_ROWS + 1> scatter{};
    float incoherentFunctionMax = 0;
    std::array<double, GRID_BINS + 1> coherent{}, incoherent{};

    bool holds(const TissueTables& tables) const {
        if (!filled || !(incoherentFunctionMax == tables.incoherentFunctionMax)) return false;
        for (std::size_t j = 0; j < scatter.size(); ++j) {
            const ScatterFactorRow &a = scatter[j], &b = tables.scatter[j];
            if (!(a.x == b.x && a.formFactorIntegral == b.formFactorIntegral &&
                  a.incoherentFunction == b.incoherentFunction)) {
                return false;
            }
        }
        return true;
    }
};

NormalisationCache& normalisationCache() {
    static NormalisationCache cache;
    return cache;
}

}  // namespace

AngularDensities::AngularDensities(const TissueTables& tables) : m_tables(tables) {
    NormalisationCache& cache = normalisationCache();
    std::lock_guard lock(cache.mutex);  // a second thread waits for the first's integrals
    if (!cache.holds(tables)) {
        for (int i = 1; i <= GRID_BINS; ++i) {
            const double E = static_cast<double>(i) * BIN_WIDTH_KEV;
            cache.coherent[static_cast<std::size_t>(i)] = coherentIntegral(E);
            cache.incoherent[static_cast<std::size_t>(i)] = incoherentIntegral(E);
        }
        cache.scatter = tables.scatter;
        cache.incoherentFunctionMax = tables.incoherentFunctionMax;
        cache.filled = true;
    }
    m_coherentNorm = cache.coherent;
    m_incoherentNorm = cache.incoherent;
}

double AngularDensities::normalisation(const Norms& norms, double E) {
    const double t = E / BIN_WIDTH_KEV;
    const int i = std::clamp(static_cast<int>(t), 1, GRID_BINS - 1);
    const double f = t - i;
    return norms[i] + f * (norms[i + 1] - norms[i]);
}

int AngularDensities::scatterRow(double x) const {
    const auto& s = m_tables.scatter;
    if (x < s[1].x) return 0;
    if (x > s[SCATTER_FACTOR_ROWS].x) return SCATTER_FACTOR_ROWS + 1;
    int lo = 2, hi = SCATTER_FACTOR_ROWS;  // first row whose x is at least x
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (s[mid].x < x)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

double AngularDensities::incoherentFunctionRatio(double x) const {
    if (!(x < INCOHERENT_TEST_LIMIT)) return 1.0;
    // S(x) linear between rows, the last interval extrapolating, as the sampler reads it.
    const auto& s = m_tables.scatter;
    const int j = std::clamp(scatterRow(x), 2, SCATTER_FACTOR_ROWS);
    const double value =
        s[j - 1].incoherentFunction + (x - s[j - 1].x) *
                                          (s[j].incoherentFunction - s[j - 1].incoherentFunction) /
                                          (s[j].x - s[j - 1].x);
    return value / m_tables.incoherentFunctionMax;
}

double AngularDensities::coherentShape(double E, double mu) const {
    // Density of x times |dx/dmu| = 1/(4 k^2 x), k = hc/E, times Thomson.
    const double x = std::sqrt(std::max(0.0, (1.0 - mu) / 2.0)) * E / HC;
    const int j = scatterRow(x);
    if (x <= 0.0 || j < 2 || j > SCATTER_FACTOR_ROWS) return 0.0;
    const auto& s = m_tables.scatter;
    const double densityOfX =
        (s[j].formFactorIntegral - s[j - 1].formFactorIntegral) / (s[j].x - s[j - 1].x);
    const double k = HC / E;
    return densityOfX / (4.0 * k * k * x) * (1.0 + mu * mu) / 2.0;
}

double AngularDensities::incoherentShape(double E, double mu) const {
    const double ratio = 1.0 / (1.0 + (E / MC2) * (1.0 - mu));  // E'/E
    const double kleinNishina = ratio * ratio * (ratio + 1.0 / ratio - (1.0 - mu * mu));
    const double x = std::sqrt(std::max(0.0, (1.0 - mu) / 2.0)) * E / HC;
    return kleinNishina * incoherentFunctionRatio(x);
}

double AngularDensities::coherentIntegral(double E) const {
    // In x the integrand is the row's flat density times Thomson: smooth on
    // each row, up to s = 1 (x = E/hc) where the sampler's range ends.
    const auto& s = m_tables.scatter;
    const double xMax = E / HC;
    double total = 0;
    for (int j = 2; j <= SCATTER_FACTOR_ROWS && s[j - 1].x < xMax; ++j) {
        if (!(s[j].x > s[j - 1].x)) continue;
        const double densityOfX =
            (s[j].formFactorIntegral - s[j - 1].formFactorIntegral) / (s[j].x - s[j - 1].x);
        total +=
            gaussLegendre(s[j - 1].x, std::min(static_cast<double>(s[j].x), xMax), [&](double x) {
                const double mu = cosineAt(x, E);
                return densityOfX * (1.0 + mu * mu) / 2.0;
            });
    }
    return total;
}

double AngularDensities::incoherentIntegral(double E) const {
    // In x, dmu = 4 k^2 x dx; pieces between the table's x values and at 10 1/A.
    const double xMax = E / HC;
    std::vector<double> nodes{0.0};
    for (int j = 1; j <= SCATTER_FACTOR_ROWS; ++j) {
        if (m_tables.scatter[j].x > 0.0 && m_tables.scatter[j].x < xMax) {
            nodes.push_back(m_tables.scatter[j].x);
        }
    }
    if (INCOHERENT_TEST_LIMIT < xMax) nodes.push_back(INCOHERENT_TEST_LIMIT);
    nodes.push_back(xMax);
    std::sort(nodes.begin(), nodes.end());
    const double k = HC / E;
    double total = 0;
    for (std::size_t n = 1; n < nodes.size(); ++n) {
        total += gaussLegendre(nodes[n - 1], nodes[n], [&](double x) {
            return incoherentShape(E, cosineAt(x, E)) * 4.0 * k * k * x;
        });
    }
    return total;
}

}  // namespace korvana::engine
