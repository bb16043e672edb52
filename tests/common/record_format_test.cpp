#include "common/record_format.h"

#include <gtest/gtest.h>

#include <string>

#include "common/data_error.h"

namespace korvana {
namespace {

// Renders the parsed items compactly so that a whole expansion fits in one table cell.
std::string describe(const RecordFormat& format) {
    std::string text;
    for (const FormatItem& item : format.items()) {
        if (!text.empty()) {
            text += ' ';
        }
        switch (item.kind) {
            case FieldKind::Integer:
                text += "I" + std::to_string(item.width);
                break;
            case FieldKind::Fixed:
                text += "F" + std::to_string(item.width) + "." + std::to_string(item.decimals);
                break;
            case FieldKind::Exponent:
                text += "E" + std::to_string(item.width) + "." + std::to_string(item.decimals);
                break;
            case FieldKind::Text:
                text += item.width == 0 ? "A" : "A" + std::to_string(item.width);
                break;
            case FieldKind::Blanks:
                text += std::to_string(item.width) + "X";
                break;
            case FieldKind::Literal:
                text += "[" + item.literal + "]";
                break;
        }
    }
    return text;
}

struct ParseCase {
    const char* format;
    const char* items;
    int valueFields;
};

class FormatParsing : public testing::TestWithParam<ParseCase> {};

TEST_P(FormatParsing, ExpandsToFlatItemList) {
    const ParseCase& c = GetParam();
    const RecordFormat format(c.format);
    EXPECT_EQ(describe(format), c.items);
    EXPECT_EQ(format.valueFieldCount(), c.valueFields);
    EXPECT_EQ(format.text(), c.format);
}

INSTANTIATE_TEST_SUITE_P(
    FormatsOfTheDataFiles, FormatParsing,
    testing::Values(ParseCase{"(F6.1,A1,F8.5)", "F6.1 A1 F8.5", 3},
                    ParseCase{"(E9.3,3E10.3)", "E9.3 E10.3 E10.3 E10.3", 4},
                    ParseCase{"(' ',I3,' / ',I3)", "[ ] I3 [ / ] I3", 2},
                    ParseCase{"(E10.4,2X,E10.4)", "E10.4 2X E10.4", 2},
                    ParseCase{"(' ',' Start time =',I2,':',I2,':',I2)",
                              "[ ] [ Start time =] I2 [:] I2 [:] I2", 3},
                    ParseCase{"(I3)", "I3", 1}, ParseCase{"(F9.6)", "F9.6", 1},
                    ParseCase{"(E10.3,2E12.5)", "E10.3 E12.5 E12.5", 3},
                    ParseCase{"(E11.4,4E15.6)", "E11.4 E15.6 E15.6 E15.6 E15.6", 5},
                    ParseCase{"(E9.3,E12.4)", "E9.3 E12.4", 2},
                    ParseCase{"(E10.4,E15.6)", "E10.4 E15.6", 2},
                    ParseCase{"(E10.4,2X,E10.4,2X,E10.4)", "E10.4 2X E10.4 2X E10.4", 3},
                    ParseCase{"(F5.1)", "F5.1", 1}, ParseCase{"(F5.3)", "F5.3", 1},
                    ParseCase{"(F7.3)", "F7.3", 1}, ParseCase{"(E8.1)", "E8.1", 1}));

INSTANTIATE_TEST_SUITE_P(Syntax, FormatParsing,
                         testing::Values(ParseCase{"(f6.1,a1,e8.5,i2,x)", "F6.1 A1 E8.5 I2 1X", 4},
                                         ParseCase{"  ( F6.1 , 2X ,\tI3 )  ", "F6.1 2X I3", 2},
                                         ParseCase{"(2(I3,1X))", "I3 1X I3 1X", 2},
                                         ParseCase{"(I1,2(A2,2(X,F4.1)),I1)",
                                                   "I1 A2 1X F4.1 1X F4.1 A2 1X F4.1 1X F4.1 I1",
                                                   8},
                                         ParseCase{"(2 (I3))", "I3 I3", 2},
                                         ParseCase{"('it''s',A)", "[it's] A", 1},
                                         ParseCase{"('''')", "[']", 0}, ParseCase{"('')", "[]", 0},
                                         ParseCase{"(\"say \"\"hi\"\"\",I1)", "[say \"hi\"] I1", 1},
                                         ParseCase{"('a,b)(c',I1)", "[a,b)(c] I1", 1},
                                         ParseCase{"(F2.1,F5.0,E6.1)", "F2.1 F5.0 E6.1", 3},
                                         ParseCase{"(12X,A)", "12X A", 1}, ParseCase{"()", "", 0}));

TEST(FormatParsing, RepeatCountsFillWideRecords) {
    const RecordFormat table("(21E11.4)");
    ASSERT_EQ(table.items().size(), 21u);
    EXPECT_EQ(table.valueFieldCount(), 21);
    const RecordFormat scored("(F6.1,10E10.4)");
    EXPECT_EQ(scored.valueFieldCount(), 11);
    EXPECT_EQ(scored.items().back().kind, FieldKind::Exponent);
    EXPECT_EQ(scored.items().back().width, 10);
    EXPECT_EQ(scored.items().back().decimals, 4);
}

TEST(FormatParsing, OnlyValueKindsCarryValues) {
    EXPECT_TRUE(carriesValue(FieldKind::Integer));
    EXPECT_TRUE(carriesValue(FieldKind::Fixed));
    EXPECT_TRUE(carriesValue(FieldKind::Exponent));
    EXPECT_TRUE(carriesValue(FieldKind::Text));
    EXPECT_FALSE(carriesValue(FieldKind::Blanks));
    EXPECT_FALSE(carriesValue(FieldKind::Literal));
}

struct BadFormat {
    const char* format;
    int column;
    const char* fragment;
};

class FormatRejection : public testing::TestWithParam<BadFormat> {};

TEST_P(FormatRejection, NamesTheColumnInTheFormatText) {
    const BadFormat& c = GetParam();
    try {
        const RecordFormat format(c.format);
        FAIL() << "accepted " << c.format;
    } catch (const DataError& error) {
        EXPECT_EQ(error.where().column, c.column) << error.what();
        EXPECT_EQ(error.where().line, 0);
        EXPECT_NE(error.problem().find(c.fragment), std::string::npos) << error.what();
        EXPECT_NE(error.problem().find(c.format), std::string::npos) << error.what();
        EXPECT_NE(error.problem().find(" - correct the format"), std::string::npos);
        EXPECT_EQ(std::string(error.what()).rfind("column " + std::to_string(c.column) + ": ", 0),
                  0u)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, FormatRejection,
    testing::Values(
        BadFormat{"F6.1", 1, "does not start with '('"},
        BadFormat{"", 1, "does not start with '('"}, BadFormat{"(F6.1", 1, "never closed"},
        BadFormat{"(2(I3)", 1, "never closed"}, BadFormat{"(I3,(F6.1,I2", 5, "never closed"},
        BadFormat{"(F6.1))", 7, "after its closing parenthesis"},
        BadFormat{"(F6.1) x", 8, "after its closing parenthesis"},
        BadFormat{"(F6.1,Q3)", 7, "unknown descriptor 'Q'"},
        BadFormat{"(G10.3)", 2, "unknown descriptor 'G'"},
        BadFormat{"(F6)", 4, "lacks the decimals of F6"},
        BadFormat{"(E10.4,E12)", 11, "lacks the decimals of E12"},
        BadFormat{"(F6.)", 5, "lacks the decimals after F6."},
        BadFormat{"(I)", 3, "lacks the width of the I"},
        BadFormat{"(F.3)", 3, "lacks the width of the F"}, BadFormat{"(I0)", 3, "width of 0"},
        BadFormat{"(A0)", 3, "width of 0"}, BadFormat{"(F3.3)", 2, "F3.3"},
        BadFormat{"(I2,E5.7)", 5, "fewer than the width"},
        BadFormat{"(E5.0)", 2, "at least one significant digit"},
        BadFormat{"(I3.2)", 4, "minimum digit count"}, BadFormat{"(0X)", 2, "0X"},
        BadFormat{"(0I3)", 2, "repeat count of 0"}, BadFormat{"(0(I3))", 2, "repeat count of 0"},
        BadFormat{"(3)", 2, "without a descriptor"},
        BadFormat{"(2'ab')", 2, "count before a quoted literal"},
        BadFormat{"(I3,'abc)", 5, "never closed"},
        BadFormat{"(I3,,I3)", 5, "lacks a descriptor before ','"},
        BadFormat{"(I3,)", 5, "lacks a descriptor before ')'"},
        BadFormat{"(I3 I3)", 5, "where ',' or ')' belongs"},
        BadFormat{"(E10.4E2)", 7, "where ',' or ')' belongs"},
        BadFormat{"(99999I1)", 2, "number above"}, BadFormat{"(9999(9999I1))", 2, "more than"},
        // 17 groups inside the list: the 17th opens in column 18
        BadFormat{"((((((((((((((((((I1))))))))))))))))))", 18, "more than 16 deep"}));

}  // namespace
}  // namespace korvana
