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
        {"newer layout", R"({"korvana_case": 3, "kv": "80"})", "newer Korvana"},
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
        // The scene is read by the scene reader, its key named within the case.
        {"scene not an object", R"({"korvana_case": 2, "scene": "room"})", "key \"scene\""},
        {"scene without version", R"({"korvana_case": 2, "scene": {}})", "key scene.version"},
        {"scene with an unknown key",
         R"({"korvana_case": 2, "scene": {"version": 1, "tabel": {}}})", "key scene.tabel"},
        {"negative shield lead",
         R"({"korvana_case": 2, "scene": {"version": 1, "shields": [{"name": "s", "lead_mm": -1,)"
         R"( "centre_cm": [40, 0, -20], "width_cm": 60, "height_cm": 70}]}})",
         "key scene.shields[0].lead_mm: -1 mm is below 0"},
        {"eye point beside the object",
         R"({"korvana_case": 2, "scene": {"version": 1, "eye_points": [{"name": "eye",)"
         R"( "position_cm": [10, 0, -40]}]}})",
         "key scene.eye_points[0].position_cm[0]"},
        {"scene of a newer layout", R"({"korvana_case": 2, "scene": {"version": 9}})",
         "key scene.version"},
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

TEST(CaseFile, TheSceneSurvivesSavingAndOpening) {
    ScopedWorkDir dir;
    SceneDescription scene;
    scene.shields.push_back({"ceiling", 0.5, {55, 0, -45}, 60, 75, 10});
    scene.table = SceneTable{1.2, TableSide::Entrance, 50};
    scene.eyePoints.push_back({"operator", {60, 30, -40}});
    CaseEntries entries = {{"kv", "80"}, {"estimator", "next-event"}};
    setCaseScene(entries, scene);
    writeCaseFile("c.korvana.json", entries);
    const CaseEntries read = readCaseFile("c.korvana.json");
    EXPECT_EQ(read, entries);
    EXPECT_EQ(caseScene(read), scene);
    // Saved again from what was opened: the same file.
    EXPECT_EQ(caseFileText(read), caseFileText(entries));
    // An earlier build reads layout 1 only: a case with a scene is not one.
    EXPECT_NE(caseFileText(read).find("\"korvana_case\": 2"), std::string::npos);
}

TEST(CaseFile, ACaseWithoutASceneKeepsTheFirstLayout) {
    ScopedWorkDir dir;
    writeLines("old.korvana.json", {R"({"korvana_case": 1, "kv": "80", "pb": "0.35"})"});
    const CaseEntries old = readCaseFile("old.korvana.json");
    EXPECT_EQ(old, (CaseEntries{{"kv", "80"}, {"pb", "0.35"}}));
    EXPECT_EQ(caseScene(old), std::nullopt);
    EXPECT_NE(caseFileText(old).find("\"korvana_case\": 1"), std::string::npos);
    CaseEntries noScene = old;
    setCaseScene(noScene, std::nullopt);
    EXPECT_EQ(noScene, old);
}

}  // namespace
}  // namespace korvana::app
