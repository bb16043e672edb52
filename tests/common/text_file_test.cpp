#include "common/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/data_error.h"
#include "common/file_names.h"
#include "temp_dir.h"

namespace korvana {
namespace {

using testing::ScopedWorkDir;

void writeRaw(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

TEST(ReadTextFile, SplitsLfAndCrLfLinesAndKeepsBlankLines) {
    ScopedWorkDir dir;
    writeRaw("a.txt", "one\r\ntwo\n\r\n  \nlast");
    const TextLines f = readTextFile("a.txt", FileKind::PhysicsTable);
    EXPECT_EQ(f.fileName, "a.txt");
    EXPECT_EQ(f.lines, (std::vector<std::string>{"one", "two", "", "  ", "last"}));
    writeRaw("b.txt", "");
    EXPECT_TRUE(readTextFile("b.txt", FileKind::PhysicsTable).lines.empty());
    writeRaw("c.txt", "x\r\n");
    EXPECT_EQ(readTextFile("c.txt", FileKind::PhysicsTable).lines.size(), 1u);
}

TEST(ReadTextFile, MissingFileNamesItAndCreatesNothing) {
    ScopedWorkDir dir;
    try {
        readTextFile("Pb.dat", FileKind::PhysicsTable);
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "Pb.dat");
        EXPECT_NE(std::string(e.what()).find("Pb.dat"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("not found"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists("Pb.dat"));
    std::filesystem::create_directory("dir.dat");
    EXPECT_THROW(readTextFile("dir.dat", FileKind::PhysicsTable), DataError);
}

TEST(ReadTextFile, NamesAByteOrderMarkAndLinesEndedByCrAlone) {
    const struct {
        const char* what;
        std::string bytes;
        const char* named;
        int line;
    } rows[] = {
        {"UTF-8 byte order mark",
         "\xEF\xBB\xBF"
         "20.0\r\n80.0\r\n",
         "byte order mark", 1},
        {"UTF-16 text",
         std::string("\xFF\xFE"
                     "2\0"
                     "0\0",
                     6),
         "UTF-16", 1},
        {"old Mac OS line ends", "20.0\r80.0\r25.0\r", "CR alone", 1},
        {"one line ended by CR alone", "20.0\r\n80.0\r25.0\r\n", "CR alone", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScopedWorkDir dir;
        writeRaw("B2F.txt", row.bytes);
        try {
            readTextFile("B2F.txt", FileKind::RunFile);
            ADD_FAILURE() << "read";
        } catch (const DataError& e) {
            EXPECT_NE(std::string(e.what()).find(row.named), std::string::npos) << e.what();
            EXPECT_EQ(e.where().fileName, "B2F.txt");
            EXPECT_EQ(e.where().line, row.line);
        }
    }
}

TEST(LineCursor, ReportsTheMissingLineAndPassesOverBlankLinesForFreeReads) {
    ScopedWorkDir dir;
    writeRaw("f.txt", "  \r\n 12.5 cm\r\n\r\n3E1,4\r\n");
    const TextLines f = readTextFile("f.txt", FileKind::PhysicsTable);
    LineCursor cursor(f);
    EXPECT_EQ(cursor.nextFreeReal("a"), 12.5f);
    EXPECT_EQ(cursor.lineNumber(), 2);
    EXPECT_EQ(cursor.nextFreeReal("b"), 30.0f);
    EXPECT_EQ(cursor.lineNumber(), 4);
    try {
        cursor.nextFreeReal("the third value");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().line, 5);
        EXPECT_NE(std::string(e.what()).find("the third value"), std::string::npos);
    }
}

TEST(WriteTextFileAtomically, WritesCrLfAndReplacesWhole) {
    ScopedWorkDir dir;
    writeTextFileAtomically("r.data", {"a", " b", ""});
    EXPECT_EQ(testing::readWhole("r.data"), "a\r\n b\r\n\r\n");
    writeTextFileAtomically("r.data", {"new"});
    EXPECT_EQ(testing::readWhole("r.data"), "new\r\n");
    // No temporary file is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(".")) ++files;
    EXPECT_EQ(files, 1);
}

TEST(WriteTextFileAtomically, FailureIsReportedAndLeavesTheOldFile) {
    ScopedWorkDir dir;
    writeTextFileAtomically("keep.data", {"old"});
    EXPECT_THROW(writeTextFileAtomically("missing-dir/x.data", {"x"}), DataError);
    std::filesystem::create_directory("keep2.data");
    EXPECT_THROW(writeTextFileAtomically("keep2.data", {"x"}), DataError);
    EXPECT_EQ(testing::readWhole("keep.data"), "old\r\n");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(".")) ++files;
    EXPECT_EQ(files, 2) << "no temporary file is left behind";
}

TEST(FileNameProblem, PlainNamesOnly) {
    for (const char* good : {"test.data", "a b.data", "日本語.data", "x-1_2.data", ".hidden"}) {
        EXPECT_EQ(fileNameProblem(good), "") << good;
    }
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b",
                            "a|b", "a\nb", "a\x7f"}) {
        EXPECT_NE(fileNameProblem(bad), "") << bad;
    }
}

}  // namespace
}  // namespace korvana
