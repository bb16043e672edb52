#include "common/data_error.h"

namespace korvana {

std::string describePosition(const SourcePosition& where) {
    std::string text;
    if (!where.fileName.empty()) {
        text = where.fileName;
        if (where.line > 0) {
            text += ':';
            text += std::to_string(where.line);
            if (where.column > 0) {
                text += ':';
                text += std::to_string(where.column);
            }
        } else if (where.column > 0) {
            text += ", column " + std::to_string(where.column);
        }
    } else if (where.line > 0) {
        // Console input has no file name; spell the position out instead.
        text = "line " + std::to_string(where.line);
        if (where.column > 0) {
            text += ", column " + std::to_string(where.column);
        }
    } else if (where.column > 0) {
        text = "column " + std::to_string(where.column);
    }
    return text.empty() ? text : text + ": ";
}

DataError::DataError(const SourcePosition& where, const std::string& problem)
    : std::runtime_error(describePosition(where) + problem), m_where(where), m_problem(problem) {}

DataError::DataError(const std::string& problem)
    : std::runtime_error(problem), m_problem(problem) {}

}  // namespace korvana
