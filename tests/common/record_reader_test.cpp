#include "common/record_reader.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <stdexcept>
#include <string>

namespace korvana {
namespace {

const SourcePosition IN_TABLE{"Pb.dat", 17, 0};

float readOne(const char* format, std::string_view line) {
    const RecordFormat parsed(format);
    RecordReader reader(parsed, line, IN_TABLE);
    return reader.readReal();
}

struct Spelling {
    const char* format;
    const char* field;
    float value;
};

class FieldSpelling : public testing::TestWithParam<Spelling> {};

TEST_P(FieldSpelling, ReadsTheIntendedValue) {
    const Spelling& c = GetParam();
    const float value = readOne(c.format, c.field);
    EXPECT_EQ(value, c.value) << c.format << " '" << c.field << "'";
}

INSTANTIATE_TEST_SUITE_P(
    TenPointFive, FieldSpelling,
    testing::Values(Spelling{"(F6.1)", "  10.5", 10.5f}, Spelling{"(F6.1)", "10.5  ", 10.5f},
                    Spelling{"(F6.1)", "   105", 10.5f}, Spelling{"(F6.1)", " 1 0 5", 10.5f},
                    Spelling{"(F6.1)", "1 0. 5", 10.5f}, Spelling{"(F6.1)", "+ 10.5", 10.5f},
                    Spelling{"(F6.1)", "+105", 10.5f}, Spelling{"(F6.1)", "010.50", 10.5f},
                    Spelling{"(F6.1)", "1.05E1", 10.5f}, Spelling{"(F6.1)", "1.05e1", 10.5f},
                    Spelling{"(F6.1)", "1.05D1", 10.5f}, Spelling{"(F6.1)", "1.05d1", 10.5f},
                    Spelling{"(F6.1)", "1.05+1", 10.5f}, Spelling{"(F6.1)", ".105+2", 10.5f},
                    Spelling{"(F7.1)", "1.05E 1", 10.5f}, Spelling{"(E10.4)", " .1050E+02", 10.5f},
                    Spelling{"(E10.4)", "0.1050E+02", 10.5f},
                    Spelling{"(E10.4)", "1.050E 01 ", 10.5f},
                    Spelling{"(E10.4)", "  105000  ", 10.5f},
                    Spelling{"(E10.4)", "1050.D-2", 10.5f},
                    Spelling{"(E10.4)", "105000E0", 10.5f}));

INSTANTIATE_TEST_SUITE_P(
    SignsAndExponents, FieldSpelling,
    testing::Values(Spelling{"(F6.1)", "  -105", -10.5f}, Spelling{"(F6.1)", "- 10.5", -10.5f},
                    Spelling{"(F6.1)", "105E-1", 1.05f}, Spelling{"(F6.2)", "123E2", 123.0f},
                    Spelling{"(F6.2)", " 123-2", 0.0123f}, Spelling{"(F6.2)", "12.3-2", 0.123f},
                    Spelling{"(E9.3)", "1.5-3", 1.5e-3f}, Spelling{"(E9.3)", "1.5+3", 1.5e3f},
                    Spelling{"(E9.3)", "-1.5+3", -1.5e3f}, Spelling{"(E9.3)", "1.5E-03", 1.5e-3f},
                    Spelling{"(E9.3)", "1.5e-3", 1.5e-3f}, Spelling{"(E9.3)", "1.5D-03", 1.5e-3f},
                    Spelling{"(E9.3)", "1.5d+3", 1.5e3f}, Spelling{"(E9.3)", "1.5E 3", 1.5e3f},
                    Spelling{"(E9.3)", "1.5 -  3", 1.5e-3f}, Spelling{"(E9.3)", ".500E+00", 0.5f},
                    Spelling{"(E9.3)", "-.500E+00", -0.5f}, Spelling{"(E9.3)", "5.", 5.0f},
                    Spelling{"(E9.3)", "   5   ", 0.005f}, Spelling{"(E10.3)", "1.000E+07", 1.0e7f},
                    Spelling{"(E12.5)", "-2.34567E-38", -2.34567e-38f}));

INSTANTIATE_TEST_SUITE_P(
    BlankAndZero, FieldSpelling,
    testing::Values(Spelling{"(F6.1)", "      ", 0.0f}, Spelling{"(E10.4)", "    ", 0.0f},
                    Spelling{"(F6.1)", "   0.0", 0.0f}, Spelling{"(F6.1)", "0", 0.0f},
                    Spelling{"(E9.3)", "0.000E+99", 0.0f}, Spelling{"(E9.3)", "-0.0", 0.0f}));

INSTANTIATE_TEST_SUITE_P(
    IntegerFieldsAsReals, FieldSpelling,
    testing::Values(Spelling{"(I3)", "  7", 7.0f}, Spelling{"(I3)", " -7", -7.0f},
                    Spelling{"(I3)", "+12", 12.0f}, Spelling{"(I3)", "1 2", 12.0f},
                    Spelling{"(I3)", "   ", 0.0f}, Spelling{"(I3)", "12", 12.0f}));

// Every one of these must come out as the float nearest to the decimal text.
INSTANTIATE_TEST_SUITE_P(
    RoundedOnce, FieldSpelling,
    testing::Values(
        Spelling{"(F3.0)", "0.1", 0.1f}, Spelling{"(F6.1)", "0.3", 0.3f},
        Spelling{"(E15.7)", "3.4028235E+38", FLT_MAX},
        Spelling{"(E15.7)", "1.1754944E-38", FLT_MIN}, Spelling{"(E15.7)", "1.4E-45", 1.4e-45f},
        Spelling{"(E15.7)", "1E-46", 0.0f},
        // Exactly halfway between 1 and the next float: ties go to the even neighbour, 1.
        Spelling{"(F40.0)", "1.000000059604644775390625", 1.0f},
        // A hair above that halfway point rounds up. Via double the hair is lost,
        // the tie reappears and the result would wrongly be 1.
        Spelling{"(F40.0)", "1.00000005960464477539062500000001", 1.00000011920928955078125f},
        Spelling{"(F40.0)", "1.00000005960464477539062499999999", 1.0f},
        Spelling{"(F33.32)", "100000005960464477539062500000001", 1.00000011920928955078125f},
        Spelling{"(E40.1)", "100000005960464477539062500000001E-31", 1.00000011920928955078125f}));

TEST(RoundedOnce, HalfwayCaseReallyDiffersFromDoubleRoute) {
    const char* text = "1.00000005960464477539062500000001";
    EXPECT_EQ(static_cast<float>(std::strtod(text, nullptr)), 1.0f);
    EXPECT_EQ(parseFixedReal(text, 0, IN_TABLE), std::nextafter(1.0f, 2.0f));
}

TEST(RecordReader, CursorFollowsFieldsLiteralsAndBlanks) {
    const RecordFormat format("(F6.1,2X,E10.3,' / ',I3,A4)");
    const std::string line = "  10.5xx 1.500E-03 / 241name";
    RecordReader reader(format, line, IN_TABLE);
    EXPECT_EQ(reader.column(), 1);
    EXPECT_EQ(reader.readReal(), 10.5f);
    EXPECT_EQ(reader.column(), 7);
    EXPECT_EQ(reader.readReal(), 1.5e-3f);
    EXPECT_EQ(reader.column(), 19);
    EXPECT_EQ(reader.readInteger(), 241);
    EXPECT_EQ(reader.column(), 25);
    EXPECT_EQ(reader.readText(), "name");
    EXPECT_EQ(reader.column(), 29);
}

TEST(RecordReader, MarkedBinRecordWithTrailingText) {
    const RecordFormat format("(F6.1,A1,F8.5)");
    RecordReader reader(format, "  10.5*0.12345 ignored after the last field", IN_TABLE);
    EXPECT_EQ(reader.readReal(), 10.5f);
    EXPECT_EQ(reader.readText(), "*");
    EXPECT_EQ(reader.readReal(), 0.12345f);
    EXPECT_EQ(reader.column(), 16);
}

TEST(RecordReader, TextFieldsArePaddedAtTheLineEnd) {
    const RecordFormat format("(A2,A5,A3,A)");
    RecordReader reader(format, "abcde", IN_TABLE);
    EXPECT_EQ(reader.readText(), "ab");
    EXPECT_EQ(reader.readText(), "cde  ");
    EXPECT_EQ(reader.readText(), "   ");
    EXPECT_EQ(reader.readText(), "");
    const RecordFormat bare("(I2,A)");
    RecordReader rest(bare, " 3 the rest ", IN_TABLE);
    EXPECT_EQ(rest.readInteger(), 3);
    EXPECT_EQ(rest.readText(), " the rest ");
    EXPECT_EQ(rest.column(), 13);
}

TEST(RecordReader, FieldCutByTheLineEndUsesWhatIsPresent) {
    const RecordFormat format("(F6.1,E10.3)");
    RecordReader reader(format, "  10.5 1.5", IN_TABLE);
    EXPECT_EQ(reader.readReal(), 10.5f);
    EXPECT_EQ(reader.readReal(), 1.5f);
    EXPECT_EQ(reader.column(), 17);
}

TEST(RecordReader, IntegerFieldsHoldPlainIntegers) {
    const RecordFormat format("(I3,I4,I20)");
    RecordReader reader(format, "-12 + 3-9223372036854775808", IN_TABLE);
    EXPECT_EQ(reader.readInteger(), -12);
    EXPECT_EQ(reader.readInteger(), 3);
    EXPECT_EQ(reader.readInteger(), LONG_MIN);
}

TEST(RecordReader, WrongKindOfReadIsAProgrammingError) {
    const RecordFormat format("(F6.1,A1,I3)");
    const std::string line = "  10.5* 12";
    RecordReader reader(format, line, IN_TABLE);
    EXPECT_THROW(reader.readInteger(), std::logic_error);
    RecordReader second(format, line, IN_TABLE);
    second.readReal();
    EXPECT_THROW(second.readReal(), std::logic_error);
    RecordReader third(format, line, IN_TABLE);
    EXPECT_THROW(third.readText(), std::logic_error);
    RecordReader past(format, line, IN_TABLE);
    past.readReal();
    past.readText();
    past.readInteger();
    EXPECT_THROW(past.readReal(), std::logic_error);
}

struct BadLine {
    const char* format;
    const char* line;
    int fields;  // the field that fails is read as number `fields`
    int column;
    const char* fragment;
};

class LineRejection : public testing::TestWithParam<BadLine> {};

TEST_P(LineRejection, PointsAtTheField) {
    const BadLine& c = GetParam();
    const RecordFormat format(c.format);
    RecordReader reader(format, c.line, IN_TABLE);
    for (int i = 1; i < c.fields; ++i) {
        reader.readReal();
    }
    try {
        reader.readReal();
        FAIL() << "accepted '" << c.line << "'";
    } catch (const DataError& error) {
        EXPECT_EQ(error.where().fileName, "Pb.dat");
        EXPECT_EQ(error.where().line, 17);
        EXPECT_EQ(error.where().column, c.column);
        EXPECT_NE(error.problem().find(c.fragment), std::string::npos) << error.what();
        EXPECT_NE(error.problem().find(c.format), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()).rfind("Pb.dat:17:" + std::to_string(c.column), 0), 0u)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Garbage, LineRejection,
    testing::Values(BadLine{"(E9.3,3E10.3)", " .100E+01       abc", 2, 10,
                            "field 'abc' in columns 10-19 is not a number"},
                    BadLine{"(E9.3,3E10.3)", "    1.2.3", 1, 1, "second decimal point"},
                    BadLine{"(E9.3,3E10.3)", "       1e", 1, 1, "exponent without digits"},
                    BadLine{"(E9.3,3E10.3)", "   1.5E+ ", 1, 1, "exponent without digits"},
                    BadLine{"(E9.3,3E10.3)", "1.5E3.0  ", 1, 1, "'.' after the exponent"},
                    BadLine{"(F6.1)", "     +", 1, 1, "'+'"},
                    BadLine{"(F6.1)", "  -   ", 1, 1, "'-'"},
                    BadLine{"(F6.1)", "  .   ", 1, 1, "no digits"},
                    BadLine{"(F6.1)", "  E5  ", 1, 1, "no digits before 'E'"},
                    BadLine{"(F6.1)", "  1,5 ", 1, 1, "unexpected ','"},
                    BadLine{"(F6.1)", "\t10.5 ", 1, 1, "character 0x09"},
                    BadLine{"(F6.1,F6.1)", "  10.5 10.5\r", 2, 7, "character 0x0D"},
                    BadLine{"(F6.1)", "  12a ", 1, 1, "unexpected 'a'"},
                    BadLine{"(E9.3)", "1.0E+39", 1, 1, "beyond the range of single precision"},
                    BadLine{"(2X,I3)", "  1.5", 1, 3, "decimal point in an integer field"},
                    BadLine{"(I3)", "--1", 1, 1, "unexpected '-'"},
                    BadLine{"(I3)", "  +", 1, 1, "a sign without digits"},
                    BadLine{"(I20)", "9223372036854775808", 1, 1, "beyond the integer range"}));

INSTANTIATE_TEST_SUITE_P(
    TooShort, LineRejection,
    testing::Values(BadLine{"(F6.1,F8.5)", "  10.5", 2, 7, "line too short"},
                    BadLine{"(F6.1,F8.5)", "", 1, 1, "line too short"},
                    BadLine{"(E10.4,2X,E10.4)", " .1250E+02  ", 2, 13,
                            "line too short: the field in columns 13-22 is missing"}));

TEST(ReadReals, ReadsEveryNumericFieldOfALongRecord) {
    const RecordFormat format("(F6.1,10E10.4)");
    std::string line = " 150.0";
    for (int i = 1; i <= 10; ++i) {
        line += " .";
        line += std::to_string(1000 + i);
        line += "E-0" + std::to_string(i % 10);
    }
    ASSERT_EQ(line.size(), 106u);
    const std::vector<float> values = readReals(format, line, IN_TABLE);
    ASSERT_EQ(values.size(), 11u);
    EXPECT_EQ(values[0], 150.0f);
    EXPECT_EQ(values[1], 0.1001e-1f);
    EXPECT_EQ(values[9], 0.1009e-9f);
    EXPECT_EQ(values[10], 0.1010f);
}

TEST(ReadReals, RejectsFormatsWithTextFields) {
    EXPECT_THROW(readReals(RecordFormat("(F6.1,A1,F8.5)"), "  10.5*0.12345", IN_TABLE),
                 std::logic_error);
}

TEST(ParseFixed, ReportsAtTheGivenPosition) {
    const SourcePosition where{"B_SPCTL.dat", 3, 8};
    EXPECT_EQ(parseFixedReal(" 1 2 5", 2, where), 1.25f);
    EXPECT_EQ(parseFixedInteger(" -4 2", where), -42);
    try {
        parseFixedReal("x", 1, where);
        FAIL();
    } catch (const DataError& error) {
        EXPECT_EQ(
            std::string(error.what()),
            "B_SPCTL.dat:3:8: field 'x' is not a number (no digits before 'x') - correct the file "
            "or regenerate it");
    }
    EXPECT_THROW(parseFixedInteger("1e3", where), DataError);
}

struct FreeSpelling {
    const char* line;
    float value;
};

class FreeReal : public testing::TestWithParam<FreeSpelling> {};

TEST_P(FreeReal, ReadsTheFirstItem) {
    float value = -1.0f;
    ASSERT_TRUE(parseFreeReal(GetParam().line, IN_TABLE, value)) << GetParam().line;
    EXPECT_EQ(value, GetParam().value) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, FreeReal,
    testing::Values(FreeSpelling{"20", 20.0f}, FreeSpelling{"20.0", 20.0f},
                    FreeSpelling{"2.0E+01", 20.0f}, FreeSpelling{"2.0e1", 20.0f},
                    FreeSpelling{"2.0D+01", 20.0f}, FreeSpelling{"2.0d1", 20.0f},
                    FreeSpelling{".5", 0.5f}, FreeSpelling{".5e1", 5.0f}, FreeSpelling{"-3", -3.0f},
                    FreeSpelling{"+4.", 4.0f}, FreeSpelling{"1.000E+07", 1.0e7f},
                    FreeSpelling{"   \t 80.5   ", 80.5f}, FreeSpelling{"20 30", 20.0f},
                    FreeSpelling{"20,30", 20.0f}, FreeSpelling{"20/", 20.0f},
                    FreeSpelling{"  2.5 kV tube voltage", 2.5f}, FreeSpelling{"0.1", 0.1f}));

TEST(FreeReal, LinesWithoutAnItemLeaveTheValueAlone) {
    float value = 7.0f;
    EXPECT_FALSE(parseFreeReal("", IN_TABLE, value));
    EXPECT_FALSE(parseFreeReal("    ", IN_TABLE, value));
    EXPECT_FALSE(parseFreeReal(" \t ", IN_TABLE, value));
    EXPECT_EQ(value, 7.0f);
}

struct FreeFailure {
    const char* line;
    int column;
    const char* fragment;
};

class FreeRealRejection : public testing::TestWithParam<FreeFailure> {};

TEST_P(FreeRealRejection, NamesTheItem) {
    float value = 7.0f;
    try {
        parseFreeReal(GetParam().line, IN_TABLE, value);
        FAIL() << "accepted " << GetParam().line;
    } catch (const DataError& error) {
        EXPECT_EQ(error.where().line, 17);
        EXPECT_EQ(error.where().column, GetParam().column);
        EXPECT_NE(error.problem().find(GetParam().fragment), std::string::npos) << error.what();
    }
    EXPECT_EQ(value, 7.0f);
}

INSTANTIATE_TEST_SUITE_P(NotNumbers, FreeRealRejection,
                         testing::Values(FreeFailure{"name.data", 1, "'name.data' is not a number"},
                                         FreeFailure{"  abc 20", 3, "'abc' is not a number"},
                                         FreeFailure{"1.2.3", 1, "second decimal point"},
                                         FreeFailure{"2*3.0", 1, "unexpected '*'"},
                                         FreeFailure{"+", 1, "no digits"},
                                         FreeFailure{"1e", 1, "without digits"},
                                         FreeFailure{"  ,5", 3, "no number before ','"},
                                         FreeFailure{"/", 1, "no number before '/'"},
                                         FreeFailure{"'20'", 1, "no digits before '''"}));

TEST(DataErrorText, PrefixesWhatIsKnownOfThePosition) {
    EXPECT_EQ(describePosition({"a.dat", 3, 10}), "a.dat:3:10: ");
    EXPECT_EQ(describePosition({"a.dat", 3, 0}), "a.dat:3: ");
    EXPECT_EQ(describePosition({"a.dat", 0, 0}), "a.dat: ");
    EXPECT_EQ(describePosition({"", 2, 5}), "line 2, column 5: ");
    EXPECT_EQ(describePosition({"", 0, 5}), "column 5: ");
    EXPECT_EQ(describePosition({}), "");
    const DataError located({"a.dat", 3, 10}, "bad (why) - fix");
    EXPECT_STREQ(located.what(), "a.dat:3:10: bad (why) - fix");
    EXPECT_EQ(located.problem(), "bad (why) - fix");
    const DataError plain("bad (why) - fix");
    EXPECT_STREQ(plain.what(), "bad (why) - fix");
    EXPECT_EQ(plain.where().line, 0);
}

}  // namespace
}  // namespace korvana
