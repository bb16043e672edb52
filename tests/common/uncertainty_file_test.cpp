#include "common/uncertainty_file.h"

#include <gtest/gtest.h>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana {
namespace {

using testing::ScopedWorkDir;
using testing::writeLines;

UncertaintyTable sampleTable() {
    UncertaintyTable t;
    for (int j = 0; j < POINT_COUNT; ++j) {
        t.points[j].airKermaRatio = static_cast<double>(1.2345678e-4f * static_cast<float>(j + 1));
        t.points[j].relStdError = 0.01 * (j + 1);
    }
    t.points[8] = KermaUncertainty{0.0, std::nullopt, true, std::nullopt, false};
    t.grid[20][30].airKermaRatio = 3.5e-7;
    t.grid[20][30].relStdError = 0.75;
    t.grid[20][30].fewHistories = true;
    t.grid[20][30].vov = 0.5;
    t.grid[20][30].unstable = true;
    t.estimator = "next-event";
    t.histories = 12345;
    t.resultDigest = "0123456789abcdef";
    return t;
}

constexpr const char* RUN = ",12345,0123456789abcdef";

std::string row(const std::string& fields) { return fields + RUN; }

TEST(UncertaintyFile, NameFollowsTheResultNameAndNoTwoShareOne) {
    EXPECT_EQ(uncertaintyFileName("run1.data"), "run1.unc.csv");
    // "run1" would otherwise share run1.data's file.
    EXPECT_EQ(uncertaintyFileName("run1"), "run1.uncertainty.csv");
    EXPECT_EQ(uncertaintyFileName("a.data.txt"), "a.data.txt.uncertainty.csv");
    // A result named like an uncertainty file would overwrite another's errors.
    EXPECT_FALSE(resultNameClash("run1.unc.csv").empty());
    EXPECT_FALSE(resultNameClash("run1.uncertainty.csv").empty());
    EXPECT_TRUE(resultNameClash("run1.data").empty());
    EXPECT_TRUE(resultNameClash("run1").empty());
}

TEST(UncertaintyFile, WrittenLinesReadBackUnchanged) {
    ScopedWorkDir dir;
    const UncertaintyTable t = sampleTable();
    const std::vector<std::string> lines = uncertaintyFileLines(t);
    ASSERT_EQ(lines.size(), 1u + 9u + 651u);
    EXPECT_EQ(lines[1].substr(0, 9), "point,30,");
    EXPECT_EQ(lines[9], row("point,150,,,0,,1,next-event,,0"));
    EXPECT_EQ(lines[10].substr(0, 13), "grid,,50,-100");
    EXPECT_EQ(lines.back(), row("grid,,150,50,3.5e-07,0.75,1,next-event,0.5,1"));
    writeLines("r.unc.csv", lines);

    const UncertaintyTable back = readUncertaintyFile("r.unc.csv");
    for (int j = 0; j < POINT_COUNT; ++j) {
        // Nine digits bring every float back exactly.
        EXPECT_EQ(static_cast<float>(back.points[j].airKermaRatio),
                  static_cast<float>(t.points[j].airKermaRatio));
        EXPECT_EQ(back.points[j].relStdError.has_value(), t.points[j].relStdError.has_value());
    }
    EXPECT_DOUBLE_EQ(*back.grid[20][30].relStdError, 0.75);
    EXPECT_TRUE(back.grid[20][30].fewHistories);
    EXPECT_DOUBLE_EQ(*back.grid[20][30].vov, 0.5);
    EXPECT_TRUE(back.grid[20][30].unstable);
    EXPECT_FALSE(back.points[0].unstable);
    EXPECT_TRUE(back.hasQualityChecks);
    EXPECT_EQ(back.estimator, "next-event");
    EXPECT_EQ(back.histories, 12345);
    EXPECT_EQ(back.resultDigest, "0123456789abcdef");
    EXPECT_FALSE(readUncertaintiesBeside("other.data").has_value());
}

TEST(UncertaintyFile, AFileIsReadBesideTheResultItWasWrittenWithOnly) {
    ScopedWorkDir dir;
    const std::vector<std::string> result = {"  .5 .1000E+01", "  1.0 .2000E+01"};
    EXPECT_EQ(resultDigest(result), resultDigest(result));
    EXPECT_NE(resultDigest(result), resultDigest({"  .5 .1000E+01", "  1.0 .2001E+01"}));
    EXPECT_EQ(resultDigest(result).size(), 16u);
    UncertaintyTable t = sampleTable();
    t.resultDigest = resultDigest(result);
    writeLines("r.unc.csv", uncertaintyFileLines(t));

    writeLines("r.data", result);
    EXPECT_TRUE(readUncertaintiesBeside("r.data").has_value());
    // Another run wrote r.data again and its errors could not be written:
    // the file left from before is not taken for the new result's.
    writeLines("r.data", {"  .5 .1000E+01", "  1.0 .2001E+01"});
    try {
        readUncertaintiesBeside("r.data");
        ADD_FAILURE() << "accepted";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("another run"), std::string::npos) << e.what();
    }
}

TEST(UncertaintyFile, FilesOfEarlierVersionsWithoutQualityChecksAreRead) {
    ScopedWorkDir dir;
    std::vector<std::string> lines = uncertaintyFileLines(sampleTable());
    lines[0] = "kind,angle_deg,x_cm,z_cm,air_kerma_ratio,rel_std_error,few_histories,estimator";
    for (std::size_t n = 1; n < lines.size(); ++n) {
        for (int field = 0; field < 4; ++field) lines[n].erase(lines[n].rfind(','));
    }
    writeLines("r.unc.csv", lines);
    const UncertaintyTable back = readUncertaintyFile("r.unc.csv");
    EXPECT_FALSE(back.hasQualityChecks);
    EXPECT_DOUBLE_EQ(*back.grid[20][30].relStdError, 0.75);
    EXPECT_FALSE(back.grid[20][30].vov.has_value());
    EXPECT_FALSE(back.grid[20][30].unstable);
    EXPECT_TRUE(back.resultDigest.empty());
}

TEST(UncertaintyFile, DamagedFilesAreRefusedWithTheirPosition) {
    const std::vector<std::string> good = uncertaintyFileLines(sampleTable());
    struct Case {
        const char* what;
        int line;  // 0-based line to change; -1 removes the last line
        const char* text;
        int expectedLine, expectedColumn;
    };
    const Case cases[] = {
        {"wrong header", 0, "kind,angle", 1, 1},
        {"bad number", 3, "point,60,,,abc,0.1,0,next-event,0.01,0", 4, 12},
        {"unknown angle", 3, "point,61,,,1e-4,0.1,0,next-event,0.01,0", 4, 7},
        {"off-grid x", 12, "grid,,52,-100,1e-4,0.1,0,next-event,0.01,0", 13, 7},
        {"unknown kind", 3, "pointx,60,,,1e-4,0.1,0,next-event,0.01,0", 4, 1},
        {"duplicate", 3, "point,30,,,1e-4,0.1,0,next-event,0.01,0", 4, 1},
        {"bad flag", 3, "point,60,,,1e-4,0.1,2,next-event,0.01,0", 4, 21},
        {"mixed estimators", 3, "point,60,,,1e-4,0.1,0,analog,0.01,0", 4, 23},
        {"bad vov", 3, "point,60,,,1e-4,0.1,0,next-event,x,0", 4, 34},
        {"bad unstable flag", 3, "point,60,,,1e-4,0.1,0,next-event,0.01,yes", 4, 39},
        // Values no run gives, which a reader would print as -100 % or "inf".
        {"negative kerma", 3, "point,60,,,-1e-4,0.1,0,next-event,0.01,0", 4, 12},
        {"negative error", 3, "point,60,,,1e-4,-0.1,0,next-event,0.01,0", 4, 17},
        {"huge error", 3, "point,60,,,1e-4,1e308,0,next-event,0.01,0", 4, 17},
        {"infinite error", 3, "point,60,,,1e-4,inf,0,next-event,0.01,0", 4, 17},
        {"huge vov", 3, "point,60,,,1e-4,0.1,0,next-event,1e300,0", 4, 34},
        {"negative vov", 3, "point,60,,,1e-4,0.1,0,next-event,-0.5,0", 4, 34},
        {"truncated", -1, "", 661, 0},
    };
    // Rows whose run columns themselves are wrong, given whole.
    const Case runCases[] = {
        {"missing field", 3, "point,60,,,1e-4,0.1,0,next-event,0.01,0,12345", 4, 41},
        {"earlier row in a current file", 3, "point,60,,,1e-4,0.1,0,next-event", 4, 23},
        {"no histories", 3, "point,60,,,1e-4,0.1,0,next-event,0.01,0,0,0123456789abcdef", 4, 41},
        {"bad digest", 3, "point,60,,,1e-4,0.1,0,next-event,0.01,0,12345,xyz", 4, 47},
        {"another run's row", 3, "point,60,,,1e-4,0.1,0,next-event,0.01,0,12345,fedcba9876543210",
         4, 41},
    };
    std::vector<std::pair<Case, std::string>> all;
    for (const Case& c : cases) all.emplace_back(c, c.line > 0 ? row(c.text) : c.text);
    for (const Case& c : runCases) all.emplace_back(c, c.text);
    for (const auto& [c, text] : all) {
        SCOPED_TRACE(c.what);
        ScopedWorkDir dir;
        std::vector<std::string> lines = good;
        if (c.line < 0) {
            lines.pop_back();
        } else {
            lines[static_cast<std::size_t>(c.line)] = text;
        }
        writeLines("r.unc.csv", lines);
        try {
            readUncertaintyFile("r.unc.csv");
            ADD_FAILURE() << "accepted";
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().line, c.expectedLine) << e.what();
            EXPECT_EQ(e.where().column, c.expectedColumn) << e.what();
        }
    }
}

}  // namespace
}  // namespace korvana
