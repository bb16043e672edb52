// JSON read strictly: each way a JSON text can be refused, with the file and
// what is wrong, and nothing of a damaged value echoed whole.
#include "common/json_file.h"

#include <gtest/gtest.h>

#include <string>

#include "common/data_error.h"

namespace korvana {
namespace {

std::string nested(int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
}

TEST(ParseJsonText, RefusesRepeatedKeysDeepNestingAndBadSyntaxNamingTheFile) {
    const struct {
        const char* what;
        std::string text;
        const char* named;  //!< in the message; empty: accepted
    } rows[] = {
        {"plain object", R"({"a": 1, "b": {"a": 2}, "c": [{"a": 3}, {"a": 4}]})", ""},
        {"as deep as allowed", "{\"a\": " + nested(MAX_JSON_DEPTH - 1) + "}", ""},
        {"a key twice", R"({"kv": "80", "kv": "90"})", "the key \"kv\" is given twice"},
        {"a key twice inside", R"({"analog": {"runs": 1, "runs": 2}})", "\"runs\" is given twice"},
        {"one level too deep", "{\"a\": " + nested(MAX_JSON_DEPTH) + "}", "more than 16 deep"},
        {"a hundred thousand deep", nested(100000), "more than 16 deep"},
        {"cut short", "{\"kv\": ", "file.json:1:8: is not valid JSON"},
        {"long bad value", "{\"kv\": \"" + std::string(100000, 'A'), "is not valid JSON"},
        {"second line", "{\n  \"kv\" 80}", "file.json:2:"},
        {"number beyond any double", R"({"kv": 1e999})", "a number too large"},
        {"negative number beyond any double", R"({"kv": [-1e400]})", "a number too large"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            parseJsonText(row.text, "file.json");
            EXPECT_STREQ(row.named, "");
        } catch (const DataError& e) {
            EXPECT_NE(std::string(row.named), "") << e.what();
            EXPECT_NE(std::string(e.what()).find(row.named), std::string::npos) << e.what();
            EXPECT_EQ(e.where().fileName, "file.json");
            EXPECT_LT(std::string(e.what()).size(), 300u) << e.what();
        }
    }
}

}  // namespace
}  // namespace korvana
