#include "engine/run_parameters.h"

#include <cmath>
#include <string>

#include "common/data_error.h"
#include "common/file_names.h"
#include "common/text_file.h"

namespace korvana::engine {

namespace {

float readValue(LineCursor& cursor, const char* what, bool zeroAllowed) {
    const float value = cursor.nextFreeReal(what);
    if (!std::isfinite(value) || value < 0 || (value == 0 && !zeroAllowed)) {
        throw DataError(cursor.position(1),
                        std::string(what) + " must be " + (zeroAllowed ? "0 or more" : "above 0") +
                            " - correct the entry in the main window and start the run again");
    }
    return value;
}

}  // namespace

RunParameters readRunFile(const std::string& fileName) {
    const TextLines file = readTextFile(fileName);
    LineCursor cursor(file);
    RunParameters p;
    p.phantomThickness = readValue(cursor, "the object thickness [cm]", false);
    p.focusSurfaceDistance = readValue(cursor, "the focus-surface distance [cm]", false);
    p.fieldSizeY = readValue(cursor, "the field size along y [cm]", false);
    p.fieldSizeX = readValue(cursor, "the field size along x [cm]", false);
    p.curtainLeadThickness = readValue(cursor, "the curtain lead thickness [cm]", true);
    p.curtainLength = cursor.nextFreeReal("the curtain length [cm]");
    p.historyCount = readValue(cursor, "the number of histories", false);
    p.resultFileName = trimTrailingBlanks(cursor.nextLine("the result file name"));
    if (!p.resultFileName.empty()) {
        const std::string problem = fileNameProblem(p.resultFileName);
        if (!problem.empty()) {
            throw DataError(cursor.position(1),
                            "result file name \"" + p.resultFileName + "\" cannot be used (" +
                                problem + ") - choose a plain file name in the launch dialog");
        }
    }
    return p;
}

}  // namespace korvana::engine
