#include "common/scene_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <numbers>

#include "common/data_error.h"
#include "common/json_file.h"
#include "common/run_limits.h"
#include "common/text_file.h"

namespace korvana {

namespace {

constexpr double MM_PER_CM = 10.0;
constexpr double RIGHT_ANGLE_DEG = 90.0;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

std::string indexed(std::string_view list, std::size_t index) {
    return std::string(list) + "[" + std::to_string(index) + "]";
}

// ---- checks of the description alone -------------------------------------

class FaultList {
public:
    std::vector<SceneFault> faults;

    void add(SceneProblem problem, std::string key, double value = 0, double limit = 0,
             std::string name = {}) {
        SceneFault fault;
        fault.problem = problem;
        fault.key = std::move(key);
        fault.value = value;
        fault.limit = limit;
        fault.name = std::move(name);
        faults.push_back(std::move(fault));
    }

    //! False (and a fault) unless the value is finite.
    bool finite(const std::string& key, double value, const std::string& name) {
        if (std::isfinite(value)) return true;
        add(SceneProblem::NotFinite, key, value, 0, name);
        return false;
    }

    void coordinate(const std::string& key, double value, const std::string& name) {
        if (finite(key, value, name) && std::abs(value) > SCENE_REACH_CM) {
            add(SceneProblem::BeyondReach, key, value, SCENE_REACH_CM, name);
        }
    }

    void size(const std::string& key, double value, const std::string& name) {
        if (!finite(key, value, name)) return;
        if (value <= 0) {
            add(SceneProblem::NotPositive, key, value, 0, name);
        } else if (value > SCENE_REACH_CM) {
            add(SceneProblem::BeyondReach, key, value, SCENE_REACH_CM, name);
        }
    }

    void lead(const std::string& key, double leadMm, const std::string& name) {
        if (!finite(key, leadMm, name)) return;
        // The engine's limit for the curtain's lead, which it gives in cm.
        const std::optional<RunValueFault> fault =
            checkRunValue(RunField::CurtainLeadThickness, leadMm / MM_PER_CM);
        if (!fault) return;
        if (leadMm < 0) {
            add(SceneProblem::Negative, key, leadMm, 0, name);
        } else {
            add(SceneProblem::TooMuchLead, key, leadMm, fault->range.highest * MM_PER_CM, name);
        }
    }

    void name(const std::string& key, const std::string& text) {
        if (text.empty()) {
            add(SceneProblem::EmptyName, key);
        } else if (text.size() > MAX_SCENE_NAME_BYTES) {
            add(SceneProblem::NameTooLong, key, static_cast<double>(text.size()),
                static_cast<double>(MAX_SCENE_NAME_BYTES), text);
        } else if (std::any_of(text.begin(), text.end(), [](char c) {
                       return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                   })) {
            add(SceneProblem::NameWithControl, key, 0, 0, text);
        }
    }

    template <class Element>
    void distinctNames(const std::vector<Element>& elements, std::string_view list) {
        for (std::size_t i = 0; i < elements.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                if (elements[i].name == elements[j].name && !elements[i].name.empty()) {
                    add(SceneProblem::SameName, indexed(list, i) + ".name", 0, 0, elements[i].name);
                    faults.back().otherKey = indexed(list, j);
                    break;
                }
            }
        }
    }
};

// ---- a shield against the object -----------------------------------------

//! Whether the segment p0-p1 in the x-z plane has a point strictly inside the
//! rectangle. The part of the segment within the closed rectangle is clipped
//! (Liang-Barsky); a segment that enters the open rectangle has the middle of
//! that part inside it, one that only touches or runs along an edge has not.
bool segmentEntersOpenRectangle(std::array<double, 2> p0, std::array<double, 2> p1,
                                std::array<double, 2> low, std::array<double, 2> high) {
    double t0 = 0, t1 = 1;
    for (int axis = 0; axis < 2; ++axis) {
        const double d = p1[axis] - p0[axis];
        if (d == 0) {
            if (p0[axis] < low[axis] || p0[axis] > high[axis]) return false;
            continue;
        }
        double enter = (low[axis] - p0[axis]) / d;
        double leave = (high[axis] - p0[axis]) / d;
        if (enter > leave) std::swap(enter, leave);
        t0 = std::max(t0, enter);
        t1 = std::min(t1, leave);
        if (t0 > t1) return false;
    }
    const double t = (t0 + t1) / 2;
    for (int axis = 0; axis < 2; ++axis) {
        const double at = p0[axis] + t * (p1[axis] - p0[axis]);
        if (!(low[axis] < at && at < high[axis])) return false;
    }
    return true;
}

bool passesThrough(const SceneShield& shield, const ObjectExtent& object) {
    const double y = shield.centreCm[1];
    const double halfWidth = shield.widthCm / 2;
    if (!(y - halfWidth < object.yMaxCm && y + halfWidth > object.yMinCm)) return false;
    const ShieldTrace trace = shieldTrace(shield);
    return segmentEntersOpenRectangle(trace.lowEndXZ, trace.highEndXZ,
                                      {object.xMinCm, object.zMinCm},
                                      {object.xMaxCm, object.zMaxCm});
}

// ---- the reader -----------------------------------------------------------

using Json = nlohmann::json;

class SceneReader {
public:
    explicit SceneReader(const std::string& fileName) : m_fileName(fileName) {}

    [[noreturn]] void refuse(const std::string& key, const std::string& problem) const {
        throw DataError(SourcePosition{m_fileName, 0, 0}, "key " + key + ": " + problem);
    }

    //! `value` as an object holding only `known` keys; `what` names it in messages.
    void object(const Json& value, const std::string& key, const char* what,
                std::initializer_list<const char*> known) const {
        if (!value.is_object()) {
            refuse(key, "the value " + quoted(value) + " is not an object ({...}) - write " +
                            "it as in the scene file's layout");
        }
        for (auto it = value.begin(); it != value.end(); ++it) {
            const std::string& name = it.key();
            if (std::none_of(known.begin(), known.end(),
                             [&name](const char* k) { return name == k; })) {
                std::string list;
                for (const char* k : known) list += std::string(list.empty() ? "" : ", ") + k;
                refuse(child(key, plainKey(name)), std::string("unknown (") + what + " holds " +
                                                       list +
                                                       ") - correct its spelling or remove it");
            }
        }
    }

    const Json& required(const Json& object, const std::string& key, const char* name,
                         const std::string& remedy) const {
        const auto it = object.find(name);
        if (it == object.end()) refuse(child(key, name), "missing - " + remedy);
        return *it;
    }

    double real(const Json& value, const std::string& key) const {
        if (!value.is_number()) {
            refuse(key, "the value " + quoted(value) + " is not a number - write a number " +
                            "without quotes");
        }
        return value.get<double>();
    }

    std::string text(const Json& value, const std::string& key) const {
        if (!value.is_string()) {
            refuse(key, "the value " + quoted(value) + " is not a text - write it in quotes");
        }
        return value.get<std::string>();
    }

    std::array<double, 3> point(const Json& value, const std::string& key) const {
        if (!value.is_array() || value.size() != 3) {
            refuse(key, "the value " + quoted(value) + " is not three numbers [x, y, z] in cm - " +
                            "write the point as [x, y, z]");
        }
        return {real(value[0], key + "[0]"), real(value[1], key + "[1]"),
                real(value[2], key + "[2]")};
    }

    const Json& list(const Json& value, const std::string& key, std::size_t most) const {
        if (!value.is_array()) {
            refuse(key, "the value " + quoted(value) + " is not a list ([...]) - write it as " +
                            "a list, one {...} per element");
        }
        if (value.size() > most) {
            refuse(key, std::to_string(value.size()) + " elements, more than the " +
                            std::to_string(most) +
                            " a scene holds (each one costs every scored contribution a test) - " +
                            "keep at most " + std::to_string(most));
        }
        return value;
    }

    static std::string child(const std::string& key, const std::string& name) {
        return key.empty() ? name : key + "." + name;
    }

    //! A key of the file as a key path shows it: quoted (and escaped) unless
    //! it is made of letters, digits and underscores.
    static std::string plainKey(const std::string& name) {
        const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_';
        });
        return plain ? name : quoteValue(name);
    }

private:
    static std::string quoted(const Json& value) { return quoteValue(value.dump(), '\''); }

    const std::string& m_fileName;
};

SceneShield readShield(const SceneReader& in, const Json& value, const std::string& key) {
    in.object(value, key, "a shield",
              {"name", "lead_mm", "centre_cm", "width_cm", "height_cm", "tilt_deg"});
    const auto need = [&](const char* name, const char* remedy) -> const Json& {
        return in.required(value, key, name, remedy);
    };
    SceneShield shield;
    shield.name = in.text(need("name", "give each shield a name"), key + ".name");
    shield.leadMm =
        in.real(need("lead_mm", "give the shield's lead equivalent in mm"), key + ".lead_mm");
    shield.centreCm = in.point(need("centre_cm", "give the shield's centre as [x, y, z] in cm"),
                               key + ".centre_cm");
    shield.widthCm =
        in.real(need("width_cm", "give the shield's width along y in cm"), key + ".width_cm");
    shield.heightCm =
        in.real(need("height_cm", "give the shield's height along z in cm"), key + ".height_cm");
    if (const auto tilt = value.find("tilt_deg"); tilt != value.end()) {
        shield.tiltDeg = in.real(*tilt, key + ".tilt_deg");
    }
    return shield;
}

SceneCurtain readCurtain(const SceneReader& in, const Json& value) {
    in.object(value, "curtain", "the curtain", {"width_cm", "centre_y_cm"});
    SceneCurtain curtain;
    curtain.widthCm = in.real(
        in.required(value, "curtain", "width_cm",
                    "give the curtain's width along y in cm, or leave out \"curtain\" for a "
                    "curtain without sides"),
        "curtain.width_cm");
    if (const auto centre = value.find("centre_y_cm"); centre != value.end()) {
        curtain.centreYCm = in.real(*centre, "curtain.centre_y_cm");
    }
    return curtain;
}

SceneTable readTable(const SceneReader& in, const Json& value) {
    in.object(value, "table", "the table", {"al_equivalent_mm", "side", "width_cm"});
    SceneTable table;
    table.alEquivalentMm = in.real(in.required(value, "table", "al_equivalent_mm",
                                               "give the tabletop's aluminium equivalent in mm"),
                                   "table.al_equivalent_mm");
    const std::string side =
        in.text(in.required(value, "table", "side",
                            "give \"exit\" (tube over the couch) or \"entrance\" (tube under it)"),
                "table.side");
    if (side == "exit") {
        table.side = TableSide::Exit;
    } else if (side == "entrance") {
        table.side = TableSide::Entrance;
    } else {
        in.refuse("table.side", quoteValue(side) +
                                    " is neither \"exit\" nor \"entrance\" - give \"exit\" " +
                                    "(tube over the couch) or \"entrance\" (tube under the couch)");
    }
    table.widthCm =
        in.real(in.required(value, "table", "width_cm", "give the tabletop's width along x in cm"),
                "table.width_cm");
    return table;
}

SceneEyePoint readEyePoint(const SceneReader& in, const Json& value, const std::string& key) {
    in.object(value, key, "an eye point", {"name", "position_cm"});
    SceneEyePoint point;
    point.name =
        in.text(in.required(value, key, "name", "give each eye point a name"), key + ".name");
    point.positionCm =
        in.point(in.required(value, key, "position_cm", "give the eye point as [x, y, z] in cm"),
                 key + ".position_cm");
    return point;
}

std::string sideText(TableSide side) { return side == TableSide::Exit ? "exit" : "entrance"; }

}  // namespace

ShieldTrace shieldTrace(const SceneShield& shield) {
    const double x = shield.centreCm[0];
    const double z = shield.centreCm[2];
    const double tilt = shield.tiltDeg * std::numbers::pi / 180.0;
    const double dx = shield.heightCm / 2 * std::sin(tilt);
    const double dz = shield.heightCm / 2 * std::cos(tilt);
    return ShieldTrace{{x - dx, z - dz}, {x + dx, z + dz}};
}

std::vector<SceneFault> sceneFaults(const SceneDescription& scene) {
    FaultList check;
    if (scene.shields.size() > MAX_SCENE_SHIELDS) {
        check.add(SceneProblem::TooMany, "shields", static_cast<double>(scene.shields.size()),
                  static_cast<double>(MAX_SCENE_SHIELDS));
    }
    for (std::size_t i = 0; i < scene.shields.size(); ++i) {
        const SceneShield& s = scene.shields[i];
        const std::string key = indexed("shields", i);
        check.name(key + ".name", s.name);
        check.lead(key + ".lead_mm", s.leadMm, s.name);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            check.coordinate(indexed(key + ".centre_cm", axis), s.centreCm[axis], s.name);
        }
        check.size(key + ".width_cm", s.widthCm, s.name);
        check.size(key + ".height_cm", s.heightCm, s.name);
        if (check.finite(key + ".tilt_deg", s.tiltDeg, s.name) &&
            std::abs(s.tiltDeg) > RIGHT_ANGLE_DEG) {
            check.add(SceneProblem::TiltBeyondRight, key + ".tilt_deg", s.tiltDeg, RIGHT_ANGLE_DEG,
                      s.name);
        }
    }
    check.distinctNames(scene.shields, "shields");
    if (scene.curtain) {
        check.size("curtain.width_cm", scene.curtain->widthCm, {});
        check.coordinate("curtain.centre_y_cm", scene.curtain->centreYCm, {});
    }
    if (scene.table) {
        const double al = scene.table->alEquivalentMm;
        if (check.finite("table.al_equivalent_mm", al, {})) {
            // A table in the primary beam belongs in the beam's filtration, so
            // it is held to the filtration's limits.
            if (al < 0) {
                check.add(SceneProblem::Negative, "table.al_equivalent_mm", al);
            } else if (!beamValueProblem(BeamField::Filtration, al).empty()) {
                check.add(SceneProblem::TooMuchAluminium, "table.al_equivalent_mm", al,
                          beamValueHighest(BeamField::Filtration));
            }
        }
        check.size("table.width_cm", scene.table->widthCm, {});
    }
    if (scene.eyePoints.size() > MAX_SCENE_EYE_POINTS) {
        check.add(SceneProblem::TooMany, "eye_points", static_cast<double>(scene.eyePoints.size()),
                  static_cast<double>(MAX_SCENE_EYE_POINTS));
    }
    for (std::size_t i = 0; i < scene.eyePoints.size(); ++i) {
        const SceneEyePoint& p = scene.eyePoints[i];
        const std::string key = indexed("eye_points", i);
        check.name(key + ".name", p.name);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            check.coordinate(indexed(key + ".position_cm", axis), p.positionCm[axis], p.name);
        }
        // The object's side x = 15 cm is the same in every run: nothing is
        // scored at or behind it.
        const double x = p.positionCm[0];
        if (std::isfinite(x) && x <= OBJECT_HALF_WIDTH_X_CM) {
            check.add(SceneProblem::NotOnWorkerSide, key + ".position_cm[0]", x,
                      OBJECT_HALF_WIDTH_X_CM, p.name);
        }
    }
    check.distinctNames(scene.eyePoints, "eye_points");
    return check.faults;
}

std::vector<SceneFault> sceneObjectFaults(const SceneDescription& scene,
                                          const ObjectExtent& object) {
    std::vector<SceneFault> faults;
    for (std::size_t i = 0; i < scene.shields.size(); ++i) {
        if (!passesThrough(scene.shields[i], object)) continue;
        SceneFault fault;
        fault.problem = SceneProblem::InsideObject;
        fault.key = indexed("shields", i);
        fault.name = scene.shields[i].name;
        fault.object = object;
        faults.push_back(std::move(fault));
    }
    return faults;
}

std::string describeSceneFault(const SceneFault& f) {
    const std::string key = "key " + f.key + ": ";
    const std::string value = number(f.value);
    const std::string limit = number(f.limit);
    switch (f.problem) {
        case SceneProblem::NotFinite:
            return key + "the value is not a finite number - give a number";
        case SceneProblem::Negative:
            return key + value + " mm is below 0 (no layer holds less than nothing) - give 0 " +
                   "or more";
        case SceneProblem::TooMuchLead:
            return key + value + " mm Pb is more than " + limit +
                   " mm, the most lead the engine takes (behind more, nothing of a diagnostic " +
                   "beam is left to score) - give at most " + limit;
        case SceneProblem::TooMuchAluminium:
            return key + value + " mm Al is more than " + limit +
                   " mm, the most the beam's filtration holds (a table in the beam belongs in " +
                   "the filtration) - give at most " + limit;
        case SceneProblem::NotPositive:
            return key + value + " cm is not above 0 (a shield of no area, or a curtain or " +
                   "table of no width, has no effect) - give its size, or leave it out";
        case SceneProblem::BeyondReach:
            return key + value + " cm is beyond " + limit +
                   " cm (no room is that large; a slip of the decimal point?) - give it in cm";
        case SceneProblem::TiltBeyondRight:
            return key + value + " degrees is beyond +-" + limit +
                   " (a larger tilt turns the shield over) - give a tilt from -90 to 90";
        case SceneProblem::TooMany:
            return key + value + " elements, more than the " + limit +
                   " a scene holds (each one costs every scored contribution a test) - keep " +
                   "at most " + limit;
        case SceneProblem::EmptyName:
            return key + "the name is empty (results and drawings name each element) - give " +
                   "a name";
        case SceneProblem::NameTooLong:
            return key + "the name " + quoteValue(f.name) + " has " + value + " bytes, more than " +
                   limit + " - shorten it";
        case SceneProblem::NameWithControl:
            return key + "the name " + quoteValue(f.name) +
                   " holds a control character (it would break the tables and the drawings) " +
                   "- give a name of printable characters";
        case SceneProblem::SameName:
            return key + "the name " + quoteValue(f.name) + " is also that of " + f.otherKey +
                   " (results could not tell them apart) - rename one of them";
        case SceneProblem::NotOnWorkerSide:
            return key + "x = " + value + " cm is not beyond the object's side at x = " + limit +
                   " cm (scattered photons are scored only on the worker's side) - move the " +
                   "eye point to x above " + limit + " cm";
        case SceneProblem::InsideObject:
            return key + "the shield " + quoteValue(f.name) + " passes through the object (x " +
                   number(f.object.xMinCm) + " to " + number(f.object.xMaxCm) + ", y " +
                   number(f.object.yMinCm) + " to " + number(f.object.yMaxCm) + ", z " +
                   number(f.object.zMinCm) + " to " + number(f.object.zMaxCm) +
                   " cm; a shield is lead beside it, not in it) - move the shield out of the " +
                   "object";
    }
    return key + "not accepted";
}

SceneDescription parseSceneText(std::string_view text, const std::string& fileName) {
    const Json json = parseJsonText(text, fileName);
    const SceneReader in(fileName);
    if (!json.is_object()) {
        throw DataError(SourcePosition{fileName, 0, 0},
                        "is not a scene file (not a JSON object {...}) - give a scene file");
    }
    in.object(json, "", "a scene", {"version", "shields", "curtain", "table", "eye_points"});
    SceneDescription scene;
    const Json& version = in.required(json, "", "version", "write \"version\": 1 first");
    if (!version.is_number_integer() || version.get<long long>() < 1) {
        in.refuse("version", "the value " + quoteValue(version.dump(), '\'') +
                                 " is not a layout version (1, 2, ...) - write \"version\": 1");
    }
    if (version.get<long long>() > SCENE_FILE_VERSION) {
        in.refuse("version", "the scene was written by a newer Korvana (layout " +
                                 quoteValue(version.dump()) + ", this one reads " +
                                 std::to_string(SCENE_FILE_VERSION) + ") - update Korvana");
    }
    scene.version = static_cast<int>(version.get<long long>());
    if (const auto it = json.find("shields"); it != json.end()) {
        const Json& shields = in.list(*it, "shields", MAX_SCENE_SHIELDS);
        for (std::size_t i = 0; i < shields.size(); ++i) {
            scene.shields.push_back(readShield(in, shields[i], indexed("shields", i)));
        }
    }
    if (const auto it = json.find("curtain"); it != json.end()) {
        scene.curtain = readCurtain(in, *it);
    }
    if (const auto it = json.find("table"); it != json.end()) scene.table = readTable(in, *it);
    if (const auto it = json.find("eye_points"); it != json.end()) {
        const Json& points = in.list(*it, "eye_points", MAX_SCENE_EYE_POINTS);
        for (std::size_t i = 0; i < points.size(); ++i) {
            scene.eyePoints.push_back(readEyePoint(in, points[i], indexed("eye_points", i)));
        }
    }
    if (const std::vector<SceneFault> faults = sceneFaults(scene); !faults.empty()) {
        throw DataError(SourcePosition{fileName, 0, 0}, describeSceneFault(faults.front()));
    }
    return scene;
}

SceneDescription readSceneFile(const std::string& fileName) {
    return parseSceneText(readRegularFile(fileName, FileKind::Scene), fileName);
}

std::vector<std::string> sceneFileLines(const SceneDescription& scene) {
    // nlohmann writes each double as the shortest text that reads back to it.
    const auto point = [](const std::array<double, 3>& p) {
        return "[" + Json(p[0]).dump() + ", " + Json(p[1]).dump() + ", " + Json(p[2]).dump() + "]";
    };
    const auto entry = [](const char* key, const Json& value) {
        return std::string("\"") + key + "\": " + value.dump();
    };
    std::vector<std::string> parts;
    parts.push_back("  " + entry("version", SCENE_FILE_VERSION));
    const auto listPart = [&](const char* key, const std::vector<std::string>& rows) {
        std::string part = std::string("  \"") + key + "\": [";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            part += "\n    " + rows[i] + (i + 1 < rows.size() ? "," : "");
        }
        parts.push_back(part + "\n  ]");
    };
    if (!scene.shields.empty()) {
        std::vector<std::string> rows;
        for (const SceneShield& s : scene.shields) {
            rows.push_back("{" + entry("name", s.name) + ", " + entry("lead_mm", s.leadMm) +
                           ", \"centre_cm\": " + point(s.centreCm) + ", " +
                           entry("width_cm", s.widthCm) + ", " + entry("height_cm", s.heightCm) +
                           ", " + entry("tilt_deg", s.tiltDeg) + "}");
        }
        listPart("shields", rows);
    }
    if (scene.curtain) {
        parts.push_back("  \"curtain\": {" + entry("width_cm", scene.curtain->widthCm) + ", " +
                        entry("centre_y_cm", scene.curtain->centreYCm) + "}");
    }
    if (scene.table) {
        parts.push_back("  \"table\": {" + entry("al_equivalent_mm", scene.table->alEquivalentMm) +
                        ", " + entry("side", sideText(scene.table->side)) + ", " +
                        entry("width_cm", scene.table->widthCm) + "}");
    }
    if (!scene.eyePoints.empty()) {
        std::vector<std::string> rows;
        for (const SceneEyePoint& p : scene.eyePoints) {
            rows.push_back("{" + entry("name", p.name) +
                           ", \"position_cm\": " + point(p.positionCm) + "}");
        }
        listPart("eye_points", rows);
    }
    // One part a line (a list's rows each on their own), parts joined by commas.
    std::vector<std::string> lines = {"{"};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string part = parts[i] + (i + 1 < parts.size() ? "," : "");
        std::size_t start = 0;
        for (std::size_t end = part.find('\n'); end != std::string::npos;
             start = end + 1, end = part.find('\n', start)) {
            lines.push_back(part.substr(start, end - start));
        }
        lines.push_back(part.substr(start));
    }
    lines.push_back("}");
    return lines;
}

void writeSceneFile(const std::string& fileName, const SceneDescription& scene) {
    writeTextFileAtomically(fileName, sceneFileLines(scene));
}

}  // namespace korvana
