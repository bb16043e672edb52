// Writing B_SPCTL.dat, the beam spectrum the HVL calculator and the engine read.
//
//   lines 1-300  "0000.0" energy of bin i [keV], ", ", bin / peak as "0.00000"
//                (15 characters: the fluence fills columns 8-15 of "(F6.1,A1,F8.5)")
//   line 301     1000 x the peak as a plain number of up to 15 significant digits
//   lines 302-306 tube voltage "000.0" [kV], target angle "00.0" [degree],
//                inherent, added aluminium and added copper filtration "00.000" [mm]
// Lines end with CR LF. The file is written under a temporary name and renamed
// into place, so a program started meanwhile never reads half a spectrum.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/spectrum/irradiation_conditions.h"
#include "app/spectrum/spectrum_generator.h"
#include "common/grid_tables.h"

namespace korvana::app {

//! The 306 lines of the file, without line ends.
std::vector<std::string> formatSpectrumLines(const GeneratedSpectrum& spectrum,
                                             const IrradiationConditions& conditions);

//! `value` with up to 15 significant digits and no trailing zeros, in exponent
//! form only below 1E-4 or from 1E15 on: "561.663", "0.5", "1.5e+20".
std::string plainNumber(double value);

//! An irradiation condition of step (2), as a spectrum file keeps it.
enum class SpectrumCondition {
    TubeVoltage,         //!< [kV]
    TargetAngle,         //!< [degree]
    InherentFiltration,  //!< [mm Al equivalent]
    AddedAluminium,      //!< [mm]
    AddedCopper,         //!< [mm]
    Rectification,       //!< not in the file: known only for a spectrum korvana wrote itself
};

//! One condition in which a spectrum file differs from the main form's entries.
struct SpectrumConditionDifference {
    SpectrumCondition condition;
    std::string inFile;  //!< the file's value ("100", "2.5") or rectification word ("cp")
    std::string inForm;  //!< the value step (4) would write for the entries, the same way
};

//! The conditions in which the spectrum file `file` differs from the one step
//! (4) would write for `texts` and `rectification` now, compared at the
//! precision the file keeps them (so "80" and "80.01" kV are the same
//! spectrum). The rectification is compared only when `fileRectification`
//! is known. Entries step (4) would refuse are compared as they read.
//! Empty: the file is the spectrum of these entries.
std::vector<SpectrumConditionDifference> spectrumConditionDifferences(
    const BeamDescriptor& file, std::optional<RectificationMode> fileRectification,
    const ConditionTexts& texts, RectificationMode rectification);

//! Writes the file; throws DataError when it cannot be written.
void writeSpectrumFile(const GeneratedSpectrum& spectrum, const IrradiationConditions& conditions,
                       const std::string& fileName);

}  // namespace korvana::app
