// A small engine case in a scratch directory: the shipped tables, a run file
// and a spectrum written by the test.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common/record_format.h"
#include "common/record_writer.h"
#include "temp_dir.h"

namespace korvana::testing {

struct RunFileValues {
    std::string thicknessCm = "20.0";
    std::string focusSurfaceDistanceCm = "80.0";
    std::string fieldYCm = "25.0";
    std::string fieldXCm = "25.0";
    std::string leadCm = "0.035";
    std::string curtainLengthCm = "60.0";
    std::string histories = "2.000E+04";
    std::string resultName = "case.data";

    void write() const {
        writeLines("B2F.txt", {thicknessCm, focusSurfaceDistanceCm, fieldYCm, fieldXCm, leadCm,
                               curtainLengthCm, histories, resultName});
    }
};

//! B_SPCTL.dat with the given relative values per bin (others 0), in the
//! layout the spectrum generator writes.
inline void writeSpectrum(const std::map<int, double>& bins) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 300; ++i) {
        const auto it = bins.find(i);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%06.1f, %7.5f", i * 0.5,
                      it == bins.end() ? 0.0 : it->second);
        lines.push_back(buffer);
    }
    for (const char* d : {"1000.0", "080.0", "12.0", "02.500", "01.500", "00.000"}) {
        lines.push_back(d);
    }
    writeLines("B_SPCTL.dat", lines);
}

//! A smooth 80 kV-like spectrum: bins 20 to 159, peaked near 36 keV.
inline std::map<int, double> smoothSpectrum() {
    std::map<int, double> bins;
    for (int i = 20; i < 160; ++i) {
        const double e = i * 0.5;
        bins[i] = (80.0 - e) * (e - 9.0) * (e - 9.0) / 20000.0;
    }
    double peak = 0;
    for (const auto& [bin, value] : bins) peak = std::max(peak, value);
    for (auto& [bin, value] : bins) value /= peak;
    return bins;
}

inline void copyEngineTables() { copyShippedTables({"ICRUSoft.dat", "MU_en2016.dat", "Pb.dat"}); }

}  // namespace korvana::testing
