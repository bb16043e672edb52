// The scene file: every way a scene text is taken or refused (with the key
// and the reason), a scene written and read back unchanged, and shields
// placed by hand against the object of a run.
#include "common/scene_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana {
namespace {

//! A scene with one element given as `element` in the list or part `part`.
std::string with(const std::string& part, const std::string& element) {
    return R"({"version": 1, ")" + part + R"(": )" + element + "}";
}

std::string shield(const std::string& inside) { return with("shields", "[{" + inside + "}]"); }

const std::string CEILING =
    R"("name": "ceiling", "lead_mm": 0.5, "centre_cm": [55, 0, -45], "width_cm": 60, )"
    R"("height_cm": 75)";

std::string eye(const std::string& position, const std::string& name = "operator") {
    return with("eye_points", R"([{"name": ")" + name + R"(", "position_cm": )" + position + "}]");
}

TEST(ParseSceneText, TakesGoodScenesAndRefusesBadOnesWithKeyAndReason) {
    const struct {
        const char* what;
        std::string text;
        const char* key;     //!< "key KEY:" in the message; empty: not checked
        const char* reason;  //!< in the message; empty: the scene is taken
    } rows[] = {
        // Taken.
        {"today's scene", R"({"version": 1})", "", ""},
        {"every part",
         R"({"version": 1,
             "shields": [{"name": "ceiling", "lead_mm": 0.5, "centre_cm": [55, 0, -45],
                          "width_cm": 60, "height_cm": 75, "tilt_deg": 0}],
             "curtain": {"width_cm": 90, "centre_y_cm": 0},
             "table": {"al_equivalent_mm": 1.2, "side": "exit", "width_cm": 50},
             "eye_points": [{"name": "operator", "position_cm": [60, 30, -40]}]})",
         "", ""},
        {"empty lists", R"({"version": 1, "shields": [], "eye_points": []})", "", ""},
        {"optional tilt and curtain centre left out",
         R"({"version": 1, "shields": [{)" + CEILING + R"(}], "curtain": {"width_cm": 90}})", "",
         ""},
        {"no lead",
         shield(R"("name": "s", "lead_mm": 0, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "", ""},
        {"the most lead, as the result file shows it",
         shield(R"("name": "s", "lead_mm": 9.9994, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "", ""},
        {"lying flat", shield(CEILING + R"(, "tilt_deg": -90)"), "", ""},
        {"table under the couch",
         with("table", R"({"al_equivalent_mm": 0, "side": "entrance", "width_cm": 50})"), "", ""},
        {"eye point just beyond the object's side", eye("[15.001, 0, 0]"), "", ""},
        {"eye point far along y and towards the focus", eye("[16, -200, -150]"), "", ""},
        {"a name in Japanese", eye("[60, 0, -40]", "術者"), "", ""},
        {"a shield and an eye point of one name",
         R"({"version": 1, "shields": [{"name": "a", "lead_mm": 0.5, "centre_cm": [55, 0, -45],)"
         R"( "width_cm": 60, "height_cm": 75}], "eye_points": [{"name": "a", )"
         R"("position_cm": [60, 0, 0]}]})",
         "", ""},

        // Not a scene at all.
        {"syntax", R"({"version": 1,})", "", "is not valid JSON"},
        {"a list", "[1]", "", "is not a scene file"},
        {"a key twice", R"({"version": 1, "version": 1})", "", "given twice"},
        {"a number beyond any double", shield(R"("name": "s", "lead_mm": 1e999)"), "",
         "a number too large"},

        // The version.
        {"no version", R"({"shields": []})", "version", "missing"},
        {"newer layout", R"({"version": 2})", "version", "newer Korvana"},
        {"version 0", R"({"version": 0})", "version", "not a layout version"},
        {"version as text", R"({"version": "1"})", "version", "not a layout version"},
        {"version as a real", R"({"version": 1.0})", "version", "not a layout version"},

        // Unknown keys and wrong types.
        {"unknown part", R"({"version": 1, "shield": []})", "shield",
         "unknown (a scene holds version, shields,"},
        {"unknown shield key", shield(CEILING + R"(, "colour": "grey")"), "shields[0].colour",
         "unknown (a shield holds name,"},
        {"unknown curtain key", with("curtain", R"({"width_cm": 90, "lead_mm": 0.5})"),
         "curtain.lead_mm", "unknown"},
        {"unknown key of a strange name", shield(CEILING + R"(, "a.b\n": 1)"),
         "shields[0].\"a.b\\n\"", "unknown"},
        {"shields not a list", with("shields", "{}"), "shields", "is not a list"},
        {"a shield not an object", with("shields", "[1]"), "shields[0]", "is not an object"},
        {"table not an object", with("table", "true"), "table", "is not an object"},
        {"lead as text",
         shield(R"("name": "s", "lead_mm": "0.5", "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].lead_mm", "is not a number"},
        {"lead as true",
         shield(R"("name": "s", "lead_mm": true, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].lead_mm", "is not a number"},
        {"lead null",
         shield(R"("name": "s", "lead_mm": null, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].lead_mm", "is not a number"},
        {"name as a number",
         shield(R"("name": 7, "lead_mm": 0.5, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].name", "is not a text"},
        {"centre of two numbers",
         shield(R"("name": "s", "lead_mm": 0.5, "centre_cm": [55, 0], "width_cm": 60, )"
                R"("height_cm": 75)"),
         "shields[0].centre_cm", "is not three numbers"},
        {"centre with a text",
         shield(R"("name": "s", "lead_mm": 0.5, "centre_cm": [55, "0", -45], "width_cm": 60, )"
                R"("height_cm": 75)"),
         "shields[0].centre_cm[1]", "is not a number"},
        {"eye point of four numbers", eye("[60, 0, 0, 1]"), "eye_points[0].position_cm",
         "is not three numbers"},

        // Missing keys.
        {"shield without lead",
         shield(R"("name": "s", "centre_cm": [55, 0, -45], "width_cm": 60, "height_cm": 75)"),
         "shields[0].lead_mm", "missing"},
        {"shield without name",
         shield(R"("lead_mm": 0.5, "centre_cm": [55, 0, -45], "width_cm": 60, "height_cm": 75)"),
         "shields[0].name", "missing"},
        {"curtain without width", with("curtain", R"({"centre_y_cm": 5})"), "curtain.width_cm",
         "missing"},
        {"table without side", with("table", R"({"al_equivalent_mm": 1.2, "width_cm": 50})"),
         "table.side", "missing"},
        {"eye point without position", with("eye_points", R"([{"name": "op"}])"),
         "eye_points[0].position_cm", "missing"},

        // Values.
        {"negative lead",
         shield(R"("name": "s", "lead_mm": -0.5, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].lead_mm", "below 0"},
        {"more lead than the engine takes",
         shield(R"("name": "s", "lead_mm": 10, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].lead_mm", "more than 9.999 mm"},
        {"lead in micrometres by mistake",
         shield(R"("name": "s", "lead_mm": 500, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].lead_mm", "the most lead the engine takes"},
        {"zero width",
         shield(R"("name": "s", "lead_mm": 0.5, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 0, "height_cm": 75)"),
         "shields[0].width_cm", "not above 0"},
        {"negative height",
         shield(R"("name": "s", "lead_mm": 0.5, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": -75)"),
         "shields[0].height_cm", "not above 0"},
        {"centre in mm by mistake",
         shield(R"("name": "s", "lead_mm": 0.5, "centre_cm": [550, 0, -4500], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].centre_cm[2]", "beyond 1000 cm"},
        {"tilt beyond a right angle", shield(CEILING + R"(, "tilt_deg": 91)"),
         "shields[0].tilt_deg", "beyond +-90"},
        {"empty name",
         shield(R"("name": "", "lead_mm": 0.5, "centre_cm": [55, 0, -45], )"
                R"("width_cm": 60, "height_cm": 75)"),
         "shields[0].name", "the name is empty"},
        {"control character in a name", eye("[60, 0, 0]", "op\\u001b[31m"), "eye_points[0].name",
         "control character"},
        {"long name", eye("[60, 0, 0]", std::string(65, 'n')), "eye_points[0].name",
         "more than 64"},
        {"two shields of one name", with("shields", "[{" + CEILING + "}, {" + CEILING + "}]"),
         "shields[1].name", "is also that of shields[0]"},
        {"two eye points of one name",
         with("eye_points", R"([{"name": "a", "position_cm": [60, 0, 0]},
                                {"name": "b", "position_cm": [70, 0, 0]},
                                {"name": "a", "position_cm": [80, 0, 0]}])"),
         "eye_points[2].name", "is also that of eye_points[0]"},
        {"too many shields",
         [] {
             std::string list = "[";
             for (int i = 0; i <= 16; ++i) {
                 list += std::string(i ? ", " : "") + R"({"name": "s)" + std::to_string(i) +
                         R"(", "lead_mm": 0.5, "centre_cm": [55, 0, -45], "width_cm": 60, )"
                         R"("height_cm": 75})";
             }
             return with("shields", list + "]");
         }(),
         "shields", "more than the 16"},
        {"curtain of no width", with("curtain", R"({"width_cm": 0})"), "curtain.width_cm",
         "not above 0"},
        {"curtain far off", with("curtain", R"({"width_cm": 90, "centre_y_cm": -2000})"),
         "curtain.centre_y_cm", "beyond 1000 cm"},
        {"table side unknown",
         with("table", R"({"al_equivalent_mm": 1.2, "side": "top", "width_cm": 50})"), "table.side",
         "neither \"exit\" nor \"entrance\""},
        {"negative aluminium",
         with("table", R"({"al_equivalent_mm": -1, "side": "exit", "width_cm": 50})"),
         "table.al_equivalent_mm", "below 0"},
        {"more aluminium than the filtration holds",
         with("table", R"({"al_equivalent_mm": 1000, "side": "exit", "width_cm": 50})"),
         "table.al_equivalent_mm", "more than 999.999 mm"},
        {"table of no width",
         with("table", R"({"al_equivalent_mm": 1.2, "side": "exit", "width_cm": 0})"),
         "table.width_cm", "not above 0"},
        {"eye point on the object's side", eye("[15, 0, 10]"), "eye_points[0].position_cm[0]",
         "not beyond the object's side at x = 15 cm"},
        {"eye point inside the object", eye("[0, 0, 10]"), "eye_points[0].position_cm[0]",
         "scored only on the worker's side"},
        {"eye point on the far side", eye("[-60, 30, -40]"), "eye_points[0].position_cm[0]",
         "not beyond the object's side"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            (void)parseSceneText(row.text, "room.scene.json");
            EXPECT_STREQ(row.reason, "") << "taken";
        } catch (const DataError& e) {
            const std::string message = e.what();
            EXPECT_NE(std::string(row.reason), "") << message;
            EXPECT_EQ(e.where().fileName, "room.scene.json");
            EXPECT_NE(message.find(row.reason), std::string::npos) << message;
            if (!std::string(row.key).empty()) {
                EXPECT_NE(message.find("key " + std::string(row.key) + ": "), std::string::npos)
                    << message;
            }
            EXPECT_NE(message.find(" - "), std::string::npos) << "no remedy: " << message;
            EXPECT_LT(message.size(), 400u) << message;
        }
    }
}

TEST(SceneFile, WrittenSceneReadsBackTheSame) {
    const testing::ScopedWorkDir dir;
    SceneDescription room;
    room.shields = {
        {"ceiling", 0.5, {55, 0, -45}, 60, 75, 0},
        {"side \"B\" \\ 2", 1.0 / 3.0, {20.000000000000004, -1e-7, 1e-300}, 0.1, 999.9, -37.5}};
    room.curtain = SceneCurtain{90, -12.25};
    room.table = SceneTable{1.2, TableSide::Entrance, 50};
    room.eyePoints = {{"術者", {60, 30, -40}}, {"assistant", {15.000000000000002, -30, 10}}};
    ASSERT_TRUE(sceneFaults(room).empty()) << describeSceneFault(sceneFaults(room).front());

    writeSceneFile("room.scene.json", room);
    const SceneDescription back = readSceneFile("room.scene.json");
    EXPECT_EQ(back, room);
    // Canonical: the text read back is written again as it was.
    EXPECT_EQ(sceneFileLines(back), sceneFileLines(room));

    // Today's scene is the version alone.
    const std::vector<std::string> plain = {"{", "  \"version\": 1", "}"};
    EXPECT_EQ(sceneFileLines(SceneDescription{}), plain);
    EXPECT_EQ(parseSceneText(R"({"version": 1})", "x"), SceneDescription{});

    EXPECT_EQ(sceneFileName("run.data"), "run.scene.json");
    EXPECT_EQ(sceneFileName("dir/run"), "dir/run.scene.json");
}

TEST(SceneFaults, RefuseWhatNoFileCanHold) {
    SceneDescription scene;
    scene.eyePoints = {{"op", {60, std::numeric_limits<double>::quiet_NaN(), 0}}};
    scene.shields = {{"s", 0.5, {55, 0, -45}, std::numeric_limits<double>::infinity(), 75, 0}};
    const std::vector<SceneFault> faults = sceneFaults(scene);
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].key, "shields[0].width_cm");
    EXPECT_EQ(faults[0].problem, SceneProblem::NotFinite);
    EXPECT_EQ(faults[1].key, "eye_points[0].position_cm[1]");
    EXPECT_EQ(faults[1].problem, SceneProblem::NotFinite);
}

TEST(SceneObjectFaults, FindShieldsThatPassThroughTheObject) {
    // The object of a 20 cm run: x -15..15, y -20..20, z 0..20.
    const ObjectExtent slab = objectExtentFor(20);
    const struct {
        const char* what;
        SceneShield shield;
        bool inside;
    } rows[] = {
        {"ceiling shield beside the object", {"s", 0.5, {55, 0, -45}, 60, 75, 0}, false},
        {"in the plane of the object's side", {"s", 0.5, {15, 0, 10}, 60, 20, 0}, false},
        {"1 cm inside that side", {"s", 0.5, {14, 0, 10}, 60, 20, 0}, true},
        // z -60..0: its lower edge touches the entrance surface, then reaches 0.1 cm in.
        {"down to the entrance surface", {"s", 0.5, {10, 0, -30}, 20, 60, 0}, false},
        {"0.1 cm into the entrance surface", {"s", 0.5, {10, 0, -30}, 20, 60.2, 0}, true},
        // y 20..30, then 19.9..30.1.
        {"beyond the object's end along y", {"s", 0.5, {10, 25, 10}, 10, 20, 0}, false},
        {"0.1 cm over that end", {"s", 0.5, {10, 25, 10}, 10.2, 20, 0}, true},
        // 40 cm high about (25, 5), turned 45 degrees: the edge towards the focus
        // reaches x = 25 - 20 sin 45 = 10.86 at z = 5 - 20 cos 45 = -9.14, above
        // the entrance surface; turned the other way it reaches x = 10.86 at
        // z = 19.14, within the object (the line z = 30 - x crosses x = 15 at z = 15).
        {"tilted away above the entrance", {"s", 0.5, {25, 0, 5}, 60, 40, 45}, false},
        {"tilted into the object", {"s", 0.5, {25, 0, 5}, 60, 40, -45}, true},
        // Flat, z = 10, x 10..30.
        {"lying flat into the side", {"s", 0.5, {20, 0, 10}, 60, 20, 90}, true},
        {"lying flat below the exit surface", {"s", 0.5, {20, 0, 25}, 60, 40, 90}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SceneDescription scene;
        scene.shields = {{"clear", 0.5, {55, 0, -45}, 60, 75, 0}, row.shield};
        const std::vector<SceneFault> faults = sceneObjectFaults(scene, slab);
        ASSERT_EQ(faults.size(), row.inside ? 1u : 0u);
        if (row.inside) {
            EXPECT_EQ(faults[0].problem, SceneProblem::InsideObject);
            EXPECT_EQ(faults[0].key, "shields[1]");
            const std::string message = describeSceneFault(faults[0]);
            EXPECT_NE(message.find("key shields[1]: the shield \"s\" passes through the object "
                                   "(x -15 to 15, y -20 to 20, z 0 to 20 cm"),
                      std::string::npos)
                << message;
        }
    }
    // z 25..45: beyond a 20 cm object's exit surface, within a 30 cm one's.
    SceneDescription below;
    below.shields = {{"low", 0.5, {10, 0, 35}, 60, 20, 0}};
    EXPECT_TRUE(sceneObjectFaults(below, objectExtentFor(20)).empty());
    EXPECT_EQ(sceneObjectFaults(below, objectExtentFor(30)).size(), 1u);
}

}  // namespace
}  // namespace korvana
