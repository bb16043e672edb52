#include "app/spectrum/spectrum_command.h"

#include <map>
#include <ostream>

#include "app/common/picture_format.h"
#include "app/common/text_value.h"
#include "app/spectrum/generate_spectrum.h"
#include "app/spectrum/spectrum_file.h"
#include "common/data_error.h"
#include "common/file_names.h"
#include "common/version.h"

namespace korvana::app {

namespace {

constexpr const char* PROGRAM = "korvana-spectrum";

struct OptionSlot {
    std::string ConditionTexts::*text;  //!< null for --mode
};

const std::map<std::string, OptionSlot>& valueOptions() {
    static const std::map<std::string, OptionSlot> options = {
        {"--kv", {&ConditionTexts::tubeVoltageKv}},
        {"--angle", {&ConditionTexts::targetAngleDeg}},
        {"--inherent", {&ConditionTexts::inherentFiltrationMm}},
        {"--al", {&ConditionTexts::addedAluminiumMm}},
        {"--cu", {&ConditionTexts::addedCopperMm}},
        {"--mode", {nullptr}},
    };
    return options;
}

const char* rectificationName(RectificationMode mode) {
    switch (mode) {
        case RectificationMode::ConstantPotential:
            return "constant potential";
        case RectificationMode::ThreePhase12Peak:
            return "three-phase 12-peak";
        case RectificationMode::SinglePhaseFullWave:
            return "single-phase full-wave";
    }
    return "";
}

}  // namespace

std::string spectrumUsage() {
    return "usage: korvana-spectrum --kv KV --angle DEG --inherent MM --al MM --cu MM --mode M\n"
           "\n"
           "Computes the X-ray spectrum of a tungsten-anode tube (Tucker's formula) and writes\n"
           "B_SPCTL.dat in the current directory, which must hold Tungsten.dat, Aluminum.atc,\n"
           "Copper.dat and Pb.dat. The values are those of the main form's step (2):\n"
           "\n"
           "  --kv KV        tube voltage (peak) in kV; 150 or more runs as 149.5, 30 or less as "
           "30\n"
           "  --angle DEG    target (anode) angle in degrees, more than 0 and less than 90\n"
           "  --inherent MM  inherent filtration in mm Al equivalent; below 1 runs as 1\n"
           "  --al MM        added aluminium filter in mm, 0 or more\n"
           "  --cu MM        added copper filter in mm, 0 or more\n"
           "  --mode M       rectification: cp (or 1) constant potential, 3phase (or 2)\n"
           "                 three-phase 12-peak, 1phase (or 3) single-phase full-wave\n"
           "  --help         show this text\n"
           "  --version      show the version\n"
           "\n"
           "All six value options are required; each takes one value (--kv 80 or --kv=80).\n"
           "Exit status 0 when B_SPCTL.dat was written, 1 for bad arguments, 2 when the\n"
           "tables or the conditions are rejected (B_SPCTL.dat is then left as it was).\n";
}

std::vector<std::string> correctionNotes(const ConditionTexts& texts,
                                         const ConditionReading& reading) {
    std::vector<std::string> notes;
    if (reading.correctedTubeVoltageText) {
        notes.push_back("Tube voltage " + texts.tubeVoltageKv + " kV corrected to " +
                        *reading.correctedTubeVoltageText + " kV (range 30 to 149.5 kV).");
    }
    if (reading.correctedInherentText) {
        notes.push_back("Inherent filtration " + texts.inherentFiltrationMm + " mm corrected to " +
                        *reading.correctedInherentText + " mm (the least inherent filtration).");
    }
    return notes;
}

SpectrumOptions parseSpectrumOptions(const std::vector<std::string>& arguments) {
    SpectrumOptions options;
    std::map<std::string, std::string> given;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        std::string name = arguments[k];
        if (name == "--help" || name == "-h") {
            options.help = true;
            return options;
        }
        if (name == "--version") {
            options.version = true;
            return options;
        }
        std::string value;
        bool hasValue = false;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        if (valueOptions().count(name) == 0) {
            throw DataError("unknown argument \"" + arguments[k] +
                            "\" (the options are --kv --angle --inherent --al --cu --mode) - "
                            "see korvana-spectrum --help");
        }
        if (!hasValue) {
            if (k + 1 >= arguments.size()) {
                throw DataError("option " + name + " has no value - give one, as in " + name +
                                " 1");
            }
            value = arguments[++k];
        }
        if (given.count(name) != 0) {
            throw DataError("option " + name + " is given twice - give it once");
        }
        given[name] = value;
    }

    std::string missing;
    for (const auto& [name, slot] : valueOptions()) {
        if (given.count(name) == 0) missing += " " + name;
    }
    if (!missing.empty()) {
        throw DataError("missing option(s)" + missing +
                        " (every condition must be stated) - see korvana-spectrum --help");
    }
    for (const auto& [name, value] : given) {
        if (name != "--mode" && !isWholeNumber(value)) {
            throw DataError("the value " + quoteValue(value) + " of " + name +
                            " is not a number - write a number such as 1.5");
        }
        const OptionSlot& slot = valueOptions().at(name);
        if (slot.text != nullptr) {
            options.texts.*slot.text = value;
            continue;
        }
        const auto mode = rectificationFromText(value);
        if (!mode) {
            throw DataError("--mode " + value +
                            " is not a rectification (cp or 1 constant potential, 3phase or 2 "
                            "three-phase 12-peak, 1phase or 3 single-phase full-wave) - give one "
                            "of them");
        }
        options.rectification = *mode;
    }
    return options;
}

int runSpectrumCommand(const std::vector<std::string>& arguments, std::ostream& out,
                       std::ostream& errors) {
    SpectrumOptions options;
    try {
        options = parseSpectrumOptions(arguments);
    } catch (const DataError& e) {
        errors << PROGRAM << ": " << e.what() << '\n';
        return 1;
    }
    if (options.help) {
        out << spectrumUsage();
        return 0;
    }
    if (options.version) {
        out << versionLine(PROGRAM) << '\n';
        return 0;
    }
    try {
        const MaterialTables tables = loadMaterialTables();
        const SpectrumRun run = generateSpectrum(options.texts, options.rectification, tables);
        const IrradiationConditions& c = run.reading.conditions;
        for (const std::string& note : correctionNotes(options.texts, run.reading)) {
            out << note << '\n';
        }
        int peakBin = 1;
        for (int i = 1; i <= GRID_BINS; ++i) {
            if (run.spectrum.incidentSpectrum[i] == run.spectrum.spectrumPeak) {
                peakBin = i;
                break;
            }
        }
        out << "Irradiation conditions:\n"
            << "  tube voltage          " << formatPicture(c.tubeVoltageKv, "##0.0") << " kV\n"
            << "  target angle          " << formatPicture(c.targetAngleDeg, "#0.0") << " degree\n"
            << "  inherent filtration   " << formatPicture(c.inherentFiltrationCm * 10, "#0.000")
            << " mm Al equivalent\n"
            << "  added aluminium       " << formatPicture(c.addedAluminiumCm * 10, "#0.000")
            << " mm\n"
            << "  added copper          " << formatPicture(c.addedCopperCm * 10, "#0.000")
            << " mm\n"
            << "  rectification         " << static_cast<int>(c.rectification) << " ("
            << rectificationName(c.rectification) << ")\n"
            << "Spectrum peak: " << plainNumber(run.spectrum.spectrumPeak) << " at "
            << formatPicture(binEnergyKev(peakBin), "##0.0") << " keV (bin " << peakBin << ")\n"
            << SPECTRUM_FILE << " written.\n";
        return 0;
    } catch (const DataError& e) {
        errors << PROGRAM << ": " << e.what() << '\n'
               << PROGRAM << ": stopped; " << SPECTRUM_FILE << " was not written.\n";
        return 2;
    }
}

}  // namespace korvana::app
