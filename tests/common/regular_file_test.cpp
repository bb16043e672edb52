// The one rule for files a program reads: regular files only, under the cap
// of their kind, anything else refused at once with the file and the reason.
#include "common/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana {
namespace {

using testing::ScopedWorkDir;

struct Row {
    const char* what;
    std::function<std::string()> make;  //!< lays out the name to read, returns it
    const char* reason;                 //!< in the message; empty: read
};

TEST(ReadRegularFile, TakesRegularFilesOnlyUnderTheCapAndNamesAnythingElse) {
    const std::uint64_t cap = fileKindLimit(FileKind::RunFile).maxBytes;
    const Row rows[] = {
        {"regular file",
         [] {
             std::ofstream("B2F.txt", std::ios::binary) << "20.0\r\n";
             return std::string("B2F.txt");
         },
         ""},
        {"empty file",
         [] {
             std::ofstream("B2F.txt", std::ios::binary);
             return std::string("B2F.txt");
         },
         ""},
        {"exactly the cap",
         [cap] {
             std::ofstream("B2F.txt", std::ios::binary);
             std::filesystem::resize_file("B2F.txt", cap);
             return std::string("B2F.txt");
         },
         ""},
        {"missing", [] { return std::string("B2F.txt"); }, "file not found"},
        {"directory",
         [] {
             std::filesystem::create_directory("B2F.txt");
             return std::string("B2F.txt");
         },
         "is a directory"},
        {"FIFO without a writer",
         [] {
             ::mkfifo("B2F.txt", 0600);
             return std::string("B2F.txt");
         },
         "is a FIFO (named pipe), not a regular file"},
        {"endless device", [] { return std::string("/dev/zero"); }, "is a character device"},
        {"dangling symbolic link",
         [] {
             std::filesystem::create_symlink("gone.txt", "B2F.txt");
             return std::string("B2F.txt");
         },
         "is a dangling symbolic link (it points to \"gone.txt\""},
        {"link to a directory",
         [] {
             std::filesystem::create_directory("folder");
             std::filesystem::create_symlink("folder", "B2F.txt");
             return std::string("B2F.txt");
         },
         "is a directory"},
        {"one byte over the cap",
         [cap] {
             std::ofstream("B2F.txt", std::ios::binary);
             std::filesystem::resize_file("B2F.txt", cap + 1);
             return std::string("B2F.txt");
         },
         "is larger than 1 MB, the most a run file holds"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScopedWorkDir dir;
        const std::string name = row.make();
        const auto start = std::chrono::steady_clock::now();
        try {
            const std::string bytes = readRegularFile(name, FileKind::RunFile);
            EXPECT_STREQ(row.reason, "") << "read " << bytes.size() << " bytes";
            EXPECT_EQ(bytes.size(), std::filesystem::file_size(name));
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().fileName, name);
            EXPECT_NE(std::string(e.what()).find(row.reason), std::string::npos) << e.what();
            EXPECT_NE(std::string(row.reason), "") << e.what();
        }
        // Nothing waits for a writer or reads on without end.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

TEST(NothingNamed, CountsADanglingLinkAsSomething) {
    ScopedWorkDir dir;
    EXPECT_TRUE(nothingNamed("engine_speed.json"));
    std::filesystem::create_symlink("gone.json", "engine_speed.json");
    EXPECT_FALSE(nothingNamed("engine_speed.json"));
}

TEST(QuoteValue, QuotesShortAndEscapesWhatWouldReachTheTerminalRaw) {
    const struct {
        std::string value;
        char mark;
        std::string quoted;
    } rows[] = {
        {"80", '"', "\"80\""},
        {"", '\'', "''"},
        {"it's", '\'', "'it\\'s'"},
        {"a\\b\"c", '"', "\"a\\\\b\\\"c\""},
        {"\x1B[31mred\r\n\t", '"', "\"\\x1B[31mred\\r\\n\\t\""},
        {"del\x7F", '"', "\"del\\x7F\""},
        {"\xFF\xC3", '"', "\"\\xFF\\xC3\""},  // not UTF-8
        {"\xC2\x9B"
         "2J",
         '"', "\"\\x9B2J\""},  // a C1 control in UTF-8
        {"\xE2\x80\xAE"
         "txt",
         '"', "\"\\u202Etxt\""},              // right-to-left override
        {"胸部 80kV", '"', "\"胸部 80kV\""},  // text stays readable
        {std::string(40, 'A'), '"', "\"" + std::string(40, 'A') + "\""},
        {std::string(10'000'000, 'A'), '"',
         "\"" + std::string(40, 'A') + "...\" (10000000 bytes in all)"},
        {std::string(50, '\n'), '"',
         "\"" +
             [] {
                 std::string s;
                 for (int n = 0; n < 40; ++n) s += "\\n";
                 return s;
             }() +
             "...\" (50 bytes in all)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(quoteValue(row.value, row.mark), row.quoted);
    }
}

}  // namespace
}  // namespace korvana
