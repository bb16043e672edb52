#include "common/file_names.h"

namespace korvana {

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
