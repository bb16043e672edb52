#include "common/file_names.h"

#include "common/points_file.h"
#include "common/scene_file.h"

namespace korvana {

std::string companionFileName(std::string_view resultFileName, std::string_view ending) {
    constexpr std::string_view RESULT_ENDING = ".data";
    std::string_view stem = resultFileName;
    if (stem.size() > RESULT_ENDING.size() && stem.ends_with(RESULT_ENDING)) {
        stem.remove_suffix(RESULT_ENDING.size());
    }
    return std::string(stem) + std::string(ending);
}

// Declared with their files' layouts; defined here, where every program's
// writers find them without the JSON reader.
std::string sceneFileName(std::string_view resultFileName) {
    return companionFileName(resultFileName, SCENE_FILE_ENDING);
}

std::string pointsFileName(std::string_view resultFileName) {
    return companionFileName(resultFileName, POINTS_FILE_ENDING);
}

std::string fileNameProblem(std::string_view name) {
    if (name.empty()) return "the name is empty";
    if (name == "." || name == "..") return "\"" + std::string(name) + "\" names a directory";
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\') {
            return "the name holds the path separator '" + std::string(1, c) +
                   "' (results are written in the working directory only)";
        }
        if (u < 0x20 || u == 0x7f) return "the name holds a control character";
        if (std::string_view(":*?\"<>|").find(c) != std::string_view::npos) {
            return "the name holds the character '" + std::string(1, c) +
                   "', which a file name cannot hold";
        }
    }
    return {};
}

}  // namespace korvana
