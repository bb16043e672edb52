// Case files: what is written reads back, and a file from a newer Korvana or
// a damaged one is refused with its key and the reason.
#include "app/run/case_file.h"

#include <gtest/gtest.h>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using testing::ScopedWorkDir;
using testing::writeLines;

TEST(CaseFile, WrittenEntriesReadBack) {
    ScopedWorkDir dir;
    const CaseEntries entries = {{"thickness", "20"}, {"field", "25x25"},    {"mode", "3phase"},
                                 {"pb", ""},          {"name", "胸部 80kV"}, {"threads", "0"}};
    writeCaseFile("c.korvana.json", entries);
    EXPECT_EQ(readCaseFile("c.korvana.json"), entries);
}

TEST(CaseFile, NewerOrDamagedFilesAreRefusedWithTheKey) {
    struct Case {
        const char* what;
        std::string text;
        const char* named;  // what the message must name
    };
    const Case cases[] = {
        {"newer layout", R"({"korvana_case": 2, "kv": "80"})", "newer Korvana"},
        {"unknown key", R"({"korvana_case": 1, "kvv": "80"})", "\"kvv\""},
        {"list value", R"({"korvana_case": 1, "kv": [80]})", "\"kv\""},
        {"no version", R"({"kv": "80"})", "korvana_case"},
        {"not a version", R"({"korvana_case": "one"})", "korvana_case"},
        {"not JSON", R"({"korvana_case": 1, "kv": )", "not valid JSON"},
        {"not an object", R"([1, 2])", "not a case file"},
        {"a key twice", R"({"korvana_case": 1, "kv": "80", "kv": "90"})", "\"kv\" is given twice"},
        {"nested deep", R"({"korvana_case": 1, "kv": )" + std::string(100000, '[') + "]}", "deep"},
        {"long list value", R"({"korvana_case": 1, "kv": [")" + std::string(100000, 'A') + "\"]}",
         "(100004 bytes in all) is neither"},
        {"control characters", R"({"korvana_case": 1, "k\u001b[2Jv": "80"})", "\"k\\x1B[2Jv\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedWorkDir dir;
        writeLines("c.korvana.json", {c.text});
        try {
            readCaseFile("c.korvana.json");
            ADD_FAILURE() << "accepted";
        } catch (const DataError& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("c.korvana.json"), std::string::npos);
        }
    }
    // A number is taken as its text.
    ScopedWorkDir dir;
    writeLines("c.korvana.json", {R"({"korvana_case": 1, "kv": 80})"});
    EXPECT_EQ(readCaseFile("c.korvana.json").at("kv"), "80");
}

}  // namespace
}  // namespace korvana::app
