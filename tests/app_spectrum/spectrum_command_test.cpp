#include "app/spectrum/spectrum_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using Arguments = std::vector<std::string>;

const Arguments DEFAULT_CASE = {"--kv", "80",  "--angle", "12", "--inherent", "2.5",
                                "--al", "1.5", "--cu",    "0",  "--mode",     "1"};

TEST(ParseSpectrumOptions, TakesTheSixValuesAsTyped) {
    const SpectrumOptions o = parseSpectrumOptions(
        {"--mode=3", "--cu", "0.1", "--al=2", "--inherent", "0.5", "--angle", "16", "--kv", "200"});
    EXPECT_FALSE(o.help);
    EXPECT_EQ(o.texts.tubeVoltageKv, "200");  // corrected later, as in the form
    EXPECT_EQ(o.texts.targetAngleDeg, "16");
    EXPECT_EQ(o.texts.inherentFiltrationMm, "0.5");
    EXPECT_EQ(o.texts.addedAluminiumMm, "2");
    EXPECT_EQ(o.texts.addedCopperMm, "0.1");
    EXPECT_EQ(o.rectification, RectificationMode::SinglePhaseFullWave);
    EXPECT_TRUE(parseSpectrumOptions({"--kv", "80", "--help"}).help);
}

TEST(ParseSpectrumOptions, ModeTakesTheStudysWordsAndTheFormsNumbers) {
    const std::pair<const char*, RectificationMode> spellings[] = {
        {"cp", RectificationMode::ConstantPotential},
        {"1", RectificationMode::ConstantPotential},
        {"3phase", RectificationMode::ThreePhase12Peak},
        {"2", RectificationMode::ThreePhase12Peak},
        {"1phase", RectificationMode::SinglePhaseFullWave},
        {"3", RectificationMode::SinglePhaseFullWave}};
    for (const auto& [text, mode] : spellings) {
        Arguments a = DEFAULT_CASE;
        a.back() = text;
        EXPECT_EQ(parseSpectrumOptions(a).rectification, mode) << text;
    }
    for (const char* wrong : {"4", "0", "1.5", "CP", "dc"}) {
        Arguments a = DEFAULT_CASE;
        a.back() = wrong;
        EXPECT_THROW(parseSpectrumOptions(a), DataError) << wrong;
    }
}

TEST(ParseSpectrumOptions, RejectsWhatAScriptMustNotGetWrong) {
    auto with = [](std::size_t index, const std::string& value) {
        Arguments a = DEFAULT_CASE;
        a[index] = value;
        return a;
    };
    Arguments missing(DEFAULT_CASE.begin(), DEFAULT_CASE.end() - 2);
    Arguments twice = DEFAULT_CASE;
    twice.insert(twice.end(), {"--kv", "90"});
    Arguments noValue = missing;
    noValue.push_back("--mode");
    for (const Arguments& a :
         {missing, twice, noValue, with(1, "80kV"), with(1, ""), with(3, "abc"), with(11, "4"),
          with(11, "0"), with(11, "1.5"), with(10, "--rect"), Arguments{"80"}}) {
        EXPECT_THROW(parseSpectrumOptions(a), DataError);
    }
    try {
        parseSpectrumOptions(missing);
    } catch (const DataError& e) {
        EXPECT_NE(e.problem().find("--mode"), std::string::npos) << e.what();
    }
}

TEST(RunSpectrumCommand, DefaultCaseWritesTheSpectrumAndReportsTheConditions) {
    testing::ScopedWorkDir dir;
    testing::copyShippedTables({"Tungsten.dat", "Aluminum.atc", "Copper.dat", "Pb.dat"});
    std::ostringstream out, errors;
    EXPECT_EQ(runSpectrumCommand(DEFAULT_CASE, out, errors), 0) << errors.str();
    EXPECT_TRUE(errors.str().empty());
    EXPECT_NE(out.str().find("80.0 kV"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Spectrum peak"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists("B_SPCTL.dat"));
}

TEST(RunSpectrumCommand, CorrectionsAreShown) {
    testing::ScopedWorkDir dir;
    testing::copyShippedTables({"Tungsten.dat", "Aluminum.atc", "Copper.dat", "Pb.dat"});
    Arguments a = DEFAULT_CASE;
    a[1] = "200";
    a[5] = "0.5";
    std::ostringstream out, errors;
    EXPECT_EQ(runSpectrumCommand(a, out, errors), 0);
    EXPECT_NE(out.str().find("corrected to 149.5 kV"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("corrected to 1 mm"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("149.5 kV"), std::string::npos);
    EXPECT_NE(testing::readWhole("B_SPCTL.dat").find("\r\n149.5\r\n"), std::string::npos);
}

TEST(RunSpectrumCommand, BadConditionsAndMissingTablesWriteNoFile) {
    testing::ScopedWorkDir dir;
    std::ostringstream out, errors;
    EXPECT_EQ(runSpectrumCommand(DEFAULT_CASE, out, errors), 2);
    EXPECT_NE(errors.str().find("Tungsten.dat"), std::string::npos) << errors.str();

    testing::copyShippedTables({"Tungsten.dat", "Aluminum.atc", "Copper.dat", "Pb.dat"});
    Arguments flat = DEFAULT_CASE;
    flat[3] = "0";
    errors.str("");
    EXPECT_EQ(runSpectrumCommand(flat, out, errors), 2);
    EXPECT_NE(errors.str().find("target angle"), std::string::npos) << errors.str();
    EXPECT_FALSE(std::filesystem::exists("B_SPCTL.dat"));

    // A tiny angle: the anode, not the filters, absorbs the beam.
    flat[3] = "1e-300";
    errors.str("");
    EXPECT_EQ(runSpectrumCommand(flat, out, errors), 2);
    EXPECT_NE(errors.str().find("larger target angle"), std::string::npos) << errors.str();
    EXPECT_EQ(errors.str().find("filters"), std::string::npos) << errors.str();
    EXPECT_FALSE(std::filesystem::exists("B_SPCTL.dat"));

    EXPECT_EQ(runSpectrumCommand({"--kv"}, out, errors), 1);
    std::ostringstream help;
    EXPECT_EQ(runSpectrumCommand({"--help"}, help, errors), 0);
    for (const char* option : {"--kv", "--angle", "--inherent", "--al", "--cu", "--mode"}) {
        EXPECT_NE(help.str().find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace korvana::app
