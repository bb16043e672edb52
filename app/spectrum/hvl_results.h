// Reading HVL_S2.dat, the HVL calculator's results, back into the interactive
// program: five numbers in free format (blanks, commas or line ends between).
#pragma once

#include <optional>
#include <string>

namespace korvana::app {

struct HvlResults {
    double firstHvlMm = 0;                //!< [mm Al]
    double firstEffectiveEnergyKev = 0;   //!< [keV]
    double secondHvlMm = 0;               //!< [mm Al]
    double secondEffectiveEnergyKev = 0;  //!< [keV]
    double fluencePerExposure = 0;        //!< [photons/mm^2 per 1 C/kg]
};

//! The five values, or nothing when the file is missing, unreadable or does not
//! (yet) hold five numbers.
std::optional<HvlResults> readHvlResults(const std::string& fileName);

}  // namespace korvana::app
