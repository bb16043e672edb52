#include "engine/inputs/run_parameters.h"

#include <string>
#include <utility>

#include "common/data_error.h"
#include "common/file_names.h"
#include "common/run_limits.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"

namespace korvana::engine {

namespace {

//! Reads the next value and refuses it, with its line, when the result file's
//! column cannot hold it or the scene makes no sense of it (run_limits.h).
float readValue(LineCursor& cursor, const char* what, RunField field, const RunParameters& p) {
    const float value = cursor.nextFreeReal(what);
    if (const auto fault =
            checkRunValue(field, value, p.focusSurfaceDistance, p.phantomThickness)) {
        throw DataError(cursor.position(1),
                        describeRunValueFault(*fault) +
                            " - correct the entry in the main window and start the run again");
    }
    return value;
}

}  // namespace

void checkRunParameters(const RunParameters& p, const std::string& source) {
    const std::pair<RunField, float> values[] = {
        {RunField::PhantomThickness, p.phantomThickness},
        {RunField::FocusSurfaceDistance, p.focusSurfaceDistance},
        {RunField::FieldSizeY, p.fieldSizeY},
        {RunField::FieldSizeX, p.fieldSizeX},
        {RunField::CurtainLeadThickness, p.curtainLeadThickness},
        {RunField::CurtainLength, p.curtainLength},
        {RunField::HistoryCount, p.historyCount}};
    for (const auto& [field, value] : values) {
        if (const auto fault =
                checkRunValue(field, value, p.focusSurfaceDistance, p.phantomThickness)) {
            throw DataError(SourcePosition{source, 0, 0}, describeRunValueFault(*fault));
        }
    }
}

RunParameters readRunFile(const std::string& fileName) {
    return readRunLines(readTextFile(fileName, FileKind::RunFile));
}

RunParameters readRunLines(const TextLines& file) {
    LineCursor cursor(file);
    RunParameters p;
    p.phantomThickness =
        readValue(cursor, "the object thickness [cm]", RunField::PhantomThickness, p);
    p.focusSurfaceDistance =
        readValue(cursor, "the focus-surface distance [cm]", RunField::FocusSurfaceDistance, p);
    p.fieldSizeY = readValue(cursor, "the field size along y [cm]", RunField::FieldSizeY, p);
    p.fieldSizeX = readValue(cursor, "the field size along x [cm]", RunField::FieldSizeX, p);
    p.curtainLeadThickness =
        readValue(cursor, "the curtain lead thickness [cm]", RunField::CurtainLeadThickness, p);
    p.curtainLength = readValue(cursor, "the curtain length [cm]", RunField::CurtainLength, p);
    p.historyCount = readValue(cursor, "the number of histories", RunField::HistoryCount, p);
    p.resultFileName = trimTrailingBlanks(cursor.nextLine("the result file name"));
    if (!p.resultFileName.empty()) {
        std::string problem = fileNameProblem(p.resultFileName);
        if (problem.empty()) problem = resultNameClash(p.resultFileName);
        if (!problem.empty()) {
            throw DataError(cursor.position(1),
                            "result file name " + quoteValue(p.resultFileName) +
                                " cannot be used (" + problem +
                                ") - choose a plain file name in the launch dialog");
        }
    }
    return p;
}

}  // namespace korvana::engine
