// The one CSV convention: spellings of cells as written and read back, the
// cut line refused with its position, and numbers free of the locale.
#include "common/csv.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "common/data_error.h"

namespace korvana {
namespace {

TEST(Csv, CellsAreWrittenAndReadBackWhateverTheyHold) {
    struct Case {
        std::vector<std::string> cells;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{"a", "1.5", ""}, "a,1.5,"},
        {{""}, ""},
        {{"", ""}, ","},
        {{"ok, kv corrected 200 -> 149.5"}, "\"ok, kv corrected 200 -> 149.5\""},
        {{"say \"hi\"", "x"}, "\"say \"\"hi\"\"\",x"},
        {{"\""}, "\"\"\"\""},
        {{"two\r\nlines"}, "\"two\r\nlines\""},
        {{"failed: a\"b,c"}, "\"failed: a\"\"b,c\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(csvLine(c.cells), c.line);
        EXPECT_EQ(splitCsvLine(c.line, "x.csv", 1), c.cells) << c.line;
    }
}

TEST(Csv, AQuotedCellNotClosedIsRefusedAtTheEndOfItsLine) {
    try {
        splitCsvLine("1,\"cut", "summary.csv", 7);
        FAIL() << "accepted a cut line";
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "summary.csv");
        EXPECT_EQ(e.where().line, 7);
        EXPECT_EQ(e.where().column, 6);
    }
}

TEST(Csv, NumbersUseThePointWhateverTheLocale) {
    std::setlocale(LC_ALL, "de_DE.UTF-8");  // a decimal comma where the locale exists
    EXPECT_EQ(csvNumber(0.1), "0.1");
    EXPECT_EQ(csvNumber(1e-5), "1e-05");
    EXPECT_EQ(csvNumber(0.000123456789, 6), "0.000123457");
    EXPECT_EQ(csvNumber(1.5, 6), "1.5");
    EXPECT_EQ(csvNumber(std::optional<double>()), "");
    const std::string third = csvNumber(1.0 / 3.0);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(std::stod(third), 1.0 / 3.0);  // the shortest text reads back exactly
}

}  // namespace
}  // namespace korvana
