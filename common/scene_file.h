// The scene file: the room around the irradiated object, NAME.scene.json.
//
// Read by lumetrel (--scene FILE), korvana-results, korvana-study and the
// windows through readSceneFile; written beside a result by writeSceneFile,
// so a result always tells which room it was made for. One JSON object:
//
//   {"version": 1,
//    "shields": [{"name": "ceiling", "lead_mm": 0.5, "centre_cm": [55, 0, -45],
//                 "width_cm": 60, "height_cm": 75, "tilt_deg": 0}],
//    "curtain": {"width_cm": 90, "centre_y_cm": 0},
//    "table": {"al_equivalent_mm": 1.2, "side": "exit", "width_cm": 50},
//    "eye_points": [{"name": "operator", "position_cm": [60, 30, -40]}]}
//
// Coordinates are the engine's: cm, origin at the field centre on the
// entrance surface, +z along the beam into the object, +x towards the
// worker. The object is the box x -15..15, y -20..20, z 0..thickness
// (objectExtentFor).
//
//   version       1; a file of a newer layout is refused
//   shields       flat lead-equivalent rectangles, each `lead_mm` of lead,
//                 centred on `centre_cm` [x, y, z], `width_cm` along y and
//                 `height_cm` along z at tilt 0 (a plane of constant x, like
//                 the curtain), turned by `tilt_deg` (optional, 0) about the
//                 y axis through the centre: a positive tilt moves the edge
//                 towards +z away from the object (towards +x)
//   curtain       the run's curtain made finite along y: `width_cm` wide,
//                 centred on y = `centre_y_cm` (optional, 0); without it
//                 the curtain is unbounded in y. Its lead and length stay
//                 the run's.
//   table         a layer of `al_equivalent_mm` aluminium against the
//                 object's "exit" surface (tube over the couch) or its
//                 "entrance" surface (tube under the couch), `width_cm` wide
//                 along x about the beam axis and as long as the object in y
//   eye_points    named points on the worker's side (x above 15 cm), each
//                 at `position_cm` [x, y, z]
//
// Every part is optional: {"version": 1} is the scene without any of them,
// the one every run without a scene file simulates. A bad file is refused
// with its name, the key (such as shields[1].lead_mm) and the reason: an
// unknown or missing key, a value of the wrong type, a newer version, or a
// value sceneFaults finds. What depends on the run (where the object ends
// along z) is checked by sceneObjectFaults once the run is known.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvana {

//! The layout this build reads and writes.
inline constexpr int SCENE_FILE_VERSION = 1;

//! "x.data" -> "x.scene.json"; any other name gets SCENE_FILE_ENDING appended.
inline constexpr const char* SCENE_FILE_ENDING = ".scene.json";
std::string sceneFileName(std::string_view resultFileName);

//! The object's half width along x and half length along y [cm], the same in
//! every run; its thickness along z is the run's.
inline constexpr double OBJECT_HALF_WIDTH_X_CM = 15.0;
inline constexpr double OBJECT_HALF_LENGTH_Y_CM = 20.0;

//! No coordinate lies farther from the field centre, and no size is larger [cm].
inline constexpr double SCENE_REACH_CM = 1000.0;
//! Each shield and each eye point costs every scored contribution a test.
inline constexpr std::size_t MAX_SCENE_SHIELDS = 16;
inline constexpr std::size_t MAX_SCENE_EYE_POINTS = 64;
//! Names are written into result tables and drawn in the windows.
inline constexpr std::size_t MAX_SCENE_NAME_BYTES = 64;

struct SceneShield {
    std::string name;
    double leadMm = 0;                 //!< [mm Pb]
    std::array<double, 3> centreCm{};  //!< [cm] x, y, z
    double widthCm = 0;                //!< [cm] along y
    double heightCm = 0;               //!< [cm] along z at tilt 0
    double tiltDeg = 0;                //!< [degree] about y, -90 to 90
    bool operator==(const SceneShield&) const = default;
};

struct SceneCurtain {
    double widthCm = 0;    //!< [cm] along y
    double centreYCm = 0;  //!< [cm]
    bool operator==(const SceneCurtain&) const = default;
};

enum class TableSide {
    Exit,      //!< "exit": against z = thickness, the tube over the couch
    Entrance,  //!< "entrance": against z = 0, the tube under the couch
};

struct SceneTable {
    double alEquivalentMm = 0;  //!< [mm Al]
    TableSide side = TableSide::Exit;
    double widthCm = 0;  //!< [cm] along x, centred on the beam axis
    bool operator==(const SceneTable&) const = default;
};

struct SceneEyePoint {
    std::string name;
    std::array<double, 3> positionCm{};  //!< [cm] x, y, z
    bool operator==(const SceneEyePoint&) const = default;
};

struct SceneDescription {
    int version = SCENE_FILE_VERSION;  //!< the layout the file was written in
    std::vector<SceneShield> shields;
    std::optional<SceneCurtain> curtain;  //!< none: unbounded in y
    std::optional<SceneTable> table;
    std::vector<SceneEyePoint> eyePoints;
    bool operator==(const SceneDescription&) const = default;
};

//! The object's box [cm] in a run of this thickness.
struct ObjectExtent {
    double xMinCm = -OBJECT_HALF_WIDTH_X_CM, xMaxCm = OBJECT_HALF_WIDTH_X_CM;
    double yMinCm = -OBJECT_HALF_LENGTH_Y_CM, yMaxCm = OBJECT_HALF_LENGTH_Y_CM;
    double zMinCm = 0, zMaxCm = 0;
};
constexpr ObjectExtent objectExtentFor(double phantomThicknessCm) {
    ObjectExtent object;
    object.zMaxCm = phantomThicknessCm;
    return object;
}

//! A shield's trace in the x-z plane [cm]: the segment between its edges
//! along its height, the lower-z edge first (at tilt 0 the plane x = centre).
struct ShieldTrace {
    std::array<double, 2> lowEndXZ{};   //!< [cm] x, z of the edge towards -z
    std::array<double, 2> highEndXZ{};  //!< [cm] x, z of the edge towards +z
};
ShieldTrace shieldTrace(const SceneShield& shield);

enum class SceneProblem {
    NotFinite,         //!< not a number, or infinite
    Negative,          //!< lead or aluminium below 0
    TooMuchLead,       //!< more lead than the engine takes (run_limits.h)
    TooMuchAluminium,  //!< more than the beam's filtration holds (run_limits.h)
    NotPositive,       //!< a size of 0 or less: a shield of no area, a curtain or table of no width
    BeyondReach,       //!< a coordinate or size beyond SCENE_REACH_CM
    TiltBeyondRight,   //!< a tilt beyond +-90 degrees
    TooMany,           //!< more shields or eye points than a scene holds
    EmptyName,
    NameTooLong,
    NameWithControl,  //!< a control character in a name
    SameName,         //!< a name given twice among the shields, or among the eye points
    NotOnWorkerSide,  //!< an eye point at x <= 15 cm, where nothing is scored
    InsideObject,     //!< a shield passing through the object
};

struct SceneFault {
    SceneProblem problem = SceneProblem::NotFinite;
    std::string key;        //!< where in the file: "shields[1].lead_mm", "eye_points"
    double value = 0;       //!< the value at fault; the count for TooMany
    double limit = 0;       //!< the bound it breaks
    std::string name;       //!< the shield's or eye point's name, where it has one
    std::string otherKey;   //!< SameName: the element that has the name first
    ObjectExtent object{};  //!< InsideObject: the object it passes through
};

//! What the description alone tells, every fault, part by part; empty
//! when the scene can be simulated (before the run is known).
std::vector<SceneFault> sceneFaults(const SceneDescription& scene);

//! What the run's object tells: each shield that passes through it. A shield
//! that only touches a face, or lies in one, is outside, as a point on a face is.
std::vector<SceneFault> sceneObjectFaults(const SceneDescription& scene,
                                          const ObjectExtent& object);

//! "key shields[1].lead_mm: 12 mm Pb is more than 9.999 mm (...) - give ...",
//! in English, for the console programs.
std::string describeSceneFault(const SceneFault& fault);

//! The scene in `text`, the content of `fileName`. Throws DataError naming
//! the file, the key and the reason (describeSceneFault for sceneFaults').
SceneDescription parseSceneText(std::string_view text, const std::string& fileName);

//! Reads a scene file (a regular file under its cap, strict JSON: json_file.h).
SceneDescription readSceneFile(const std::string& fileName);

//! The canonical text: the version, then each part present in the order
//! above, one shield or eye point a line. Reads back to the same scene.
std::vector<std::string> sceneFileLines(const SceneDescription& scene);

//! Writes sceneFileLines as `fileName`, replacing it. Throws DataError.
void writeSceneFile(const std::string& fileName, const SceneDescription& scene);

}  // namespace korvana
