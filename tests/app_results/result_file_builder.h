// Result files for the viewers' tests: every value chosen by the test,
// written in the engine's 353-line order, to all digits so that a reader
// must give back exactly the values here.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace korvana::testing {

struct ResultFileContent {
    std::array<double, 301> primary{};                  //!< bins 1..300
    std::array<std::array<double, 301>, 10> scatter{};  //!< [k][bin], k = 1..9
    std::array<double, 10> pointKermaRatio{};           //!< k = 1..9
    std::array<std::string, 12> conditions = {"20.0",    "80.0",    "25.0",    "25.0",
                                              ".350",    "60.0",    "80.0",    "12.0",
                                              "  2.500", "  1.500", "   .000", "  .5E+09"};
    std::array<std::array<double, 32>, 22> grid{};  //!< [n][m]

    //! A plausible file: one peak in the primary, each angle's spectrum
    //! summing to 1, kerma rising with k, a grid with its maximum at (11, 21).
    static ResultFileContent plausible() {
        ResultFileContent c;
        for (int i = 20; i < 160; ++i) c.primary[i] = i <= 72 ? i / 72.0 : (160 - i) / 88.0;
        for (int k = 1; k <= 9; ++k) {
            double sum = 0;
            for (int i = 20; i < 160; ++i) sum += c.scatter[k][i] = 1.0 + (i % (k + 3));
            for (int i = 20; i < 160; ++i) c.scatter[k][i] /= sum;
            c.pointKermaRatio[k] = 1e-4 * k;
        }
        for (int n = 1; n <= 21; ++n) {
            for (int m = 1; m <= 31; ++m)
                c.grid[n][m] = 1e-3 / (1.0 + (n - 11) * (n - 11) + (m - 21) * (m - 21));
        }
        return c;
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        char buffer[400];
        for (int i = 1; i <= 300; ++i) {
            std::string line;
            std::snprintf(buffer, sizeof buffer, "%6.1f %.17g", i * 0.5, primary[i]);
            line = buffer;
            for (int k = 1; k <= 9; ++k) {
                std::snprintf(buffer, sizeof buffer, " %.17g", scatter[k][i]);
                line += buffer;
            }
            out.push_back(line);
        }
        out.push_back("  .1000E+07    .4000E+06");
        for (int k = 1; k <= 9; ++k) {
            std::snprintf(buffer, sizeof buffer, "%10.4E  %10.4E  %.17g", 0.01 * k,
                          pointKermaRatio[k] * 4e5, pointKermaRatio[k]);
            out.push_back(buffer);
        }
        for (const std::string& condition : conditions) out.push_back(condition);
        for (int m = 1; m <= 31; ++m) {
            std::string line;
            for (int n = 1; n <= 21; ++n) {
                std::snprintf(buffer, sizeof buffer, " %.17g", grid[n][m]);
                line += buffer;
            }
            out.push_back(line);
        }
        return out;
    }

    void write(const std::string& fileName) const { writeLines(fileName, lines()); }
};

}  // namespace korvana::testing
