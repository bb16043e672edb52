// The eye points file: a table written and read back unchanged, damaged rows
// refused with their line and column, and the pairing with its result file.
#include "common/points_file.h"

#include <gtest/gtest.h>

#include <string>

#include "common/csv.h"
#include "common/data_error.h"
#include "common/uncertainty_file.h"
#include "temp_dir.h"

namespace korvana {
namespace {

using testing::ScopedWorkDir;
using testing::writeLines;

const std::string HEADER =
    "name,x_cm,y_cm,z_cm,air_kerma_ratio,rel_err_percent,vov,unstable,histories,result_digest";
const std::string DIGEST = "3f2a9c0d5e6b7a81";

EyePointTable twoPoints() {
    EyePointTable table;
    table.histories = 1000000;
    table.resultDigest = DIGEST;
    table.points.push_back({"operator, left eye", {60, 30, -40}, 2.34567e-4, 1.23, 0.0012, false});
    table.points.push_back({"nurse", {150.5, -20, 10}, 0.0, std::nullopt, std::nullopt, false});
    return table;
}

TEST(PointsFile, WritesAndReadsBackTheSameTable) {
    const ScopedWorkDir dir;
    const std::string name = "r.points.csv";
    writeCsvFile(name, pointsFileLines(twoPoints()));
    EXPECT_EQ(readPointsFile(name), twoPoints());
    EXPECT_EQ(pointsFileName("a/run1.data"), "a/run1.points.csv");
    EXPECT_EQ(pointsFileName("run1"), "run1.points.csv");
}

TEST(PointsFile, RefusesDamagedRowsWithLineAndColumn) {
    const std::string good = "operator,60,30,-40,0.0002,1.2,0.001,0,1000," + DIGEST;
    const struct {
        const char* what;
        std::string row;
        const char* position;  //!< ":line:column" in the message
    } rows[] = {
        {"a field missing", "operator,60,30,-40,0.0002,1.2,0.001,0,1000", ":2:"},
        {"no name", ",60,30,-40,0.0002,1.2,0.001,0,1000," + DIGEST, ":2:1"},
        {"a coordinate not a number", "operator,sixty,30,-40,0.0002,1.2,0.001,0,1000," + DIGEST,
         ":2:2"},
        {"a negative kerma", "operator,60,30,-40,-0.0002,1.2,0.001,0,1000," + DIGEST, ":2:5"},
        {"an infinite error", "operator,60,30,-40,0.0002,inf,0.001,0,1000," + DIGEST, ":2:6"},
        {"unstable not 0 or 1", "operator,60,30,-40,0.0002,1.2,0.001,2,1000," + DIGEST, ":2:8"},
        {"no histories", "operator,60,30,-40,0.0002,1.2,0.001,0,0," + DIGEST, ":2:9"},
        {"a short digest", "operator,60,30,-40,0.0002,1.2,0.001,0,1000,3f2a", ":2:10"},
        {"a name twice", good + "\n" + good, ":3:1"},
        {"two runs", good + "\noperator2,60,30,-40,0.0002,1.2,0.001,0,999," + DIGEST, ":3:9"},
    };
    const ScopedWorkDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string name = "bad.points.csv";
        writeLines(name, {HEADER, row.row});
        try {
            readPointsFile(name);
            ADD_FAILURE() << "taken";
        } catch (const DataError& e) {
            EXPECT_NE(std::string(e.what()).find(row.position), std::string::npos) << e.what();
        }
    }
}

TEST(PointsFile, BelongsOnlyToTheResultItWasWrittenWith) {
    const ScopedWorkDir dir;
    const std::string result = "r.data";
    writeLines(result, {"a result"});
    EXPECT_FALSE(readPointsBeside(result).has_value());
    EyePointTable table = twoPoints();
    table.resultDigest = resultDigest({"a result"});
    writeCsvFile(pointsFileName(result), pointsFileLines(table));
    EXPECT_EQ(readPointsBeside(result), table);
    writeLines(result, {"another result"});
    EXPECT_THROW(readPointsBeside(result), DataError);
}

}  // namespace
}  // namespace korvana
