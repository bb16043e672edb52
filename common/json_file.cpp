#include "common/json_file.h"

#include <algorithm>
#include <set>
#include <vector>

#include "common/data_error.h"

namespace korvana {

namespace {

// The 1-based line and column of byte `offset` (0-based) of `text`.
SourcePosition positionOf(std::string_view text, std::size_t offset, const std::string& fileName) {
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const auto line = std::count(before.begin(), before.end(), '\n') + 1;
    const std::size_t lineStart = before.rfind('\n');
    const std::size_t column =
        lineStart == std::string_view::npos ? offset + 1 : offset - lineStart;
    return SourcePosition{fileName, static_cast<int>(line), static_cast<int>(column)};
}

// The parser's own words without the text it last read, which may be a whole
// damaged value: "syntax error while parsing value - invalid literal; expected
// end of input".
std::string syntaxProblem(const nlohmann::json::parse_error& error) {
    std::string message = error.what();
    if (message.rfind("[json.", 0) == 0) {
        const std::size_t colon = message.find(": ", message.find("parse error"));
        if (colon != std::string::npos) message.erase(0, colon + 2);
    }
    const std::size_t lastRead = message.find("; last read: ");
    if (lastRead != std::string::npos) {
        const std::size_t expected = message.rfind("; expected ");
        message = message.substr(0, lastRead) +
                  (expected != std::string::npos && expected > lastRead ? message.substr(expected)
                                                                        : std::string());
    }
    return message;
}

}  // namespace

nlohmann::json parseJsonText(std::string_view text, const std::string& fileName) {
    // The keys seen in each open object, innermost last.
    std::vector<std::set<std::string>> openObjects;
    const nlohmann::json::parser_callback_t check =
        [&](int depth, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
            using Event = nlohmann::json::parse_event_t;
            if (event == Event::object_start || event == Event::array_start) {
                if (depth + 1 > MAX_JSON_DEPTH) {
                    throw DataError(SourcePosition{fileName, 0, 0},
                                    "nests arrays and objects more than " +
                                        std::to_string(MAX_JSON_DEPTH) +
                                        " deep (no Korvana file does; it is damaged or not one of "
                                        "Korvana's files) - give the right file");
                }
                if (event == Event::object_start) openObjects.emplace_back();
            } else if (event == Event::object_end) {
                openObjects.pop_back();
            } else if (event == Event::key && !openObjects.empty()) {
                const std::string& key = parsed.get_ref<const std::string&>();
                if (!openObjects.back().insert(key).second) {
                    throw DataError(SourcePosition{fileName, 0, 0},
                                    "the key " + quoteValue(key) +
                                        " is given twice in one object (which of its values "
                                        "holds is not clear) - keep one of them");
                }
            }
            return true;
        };
    try {
        return nlohmann::json::parse(text.begin(), text.end(), check);
    } catch (const nlohmann::json::parse_error& e) {
        throw DataError(
            positionOf(text, e.byte > 0 ? e.byte - 1 : 0, fileName),
            "is not valid JSON (" + syntaxProblem(e) + ") - give the right file, or correct it");
    } catch (const nlohmann::json::out_of_range&) {
        // The parser's only range error: a number such as 1e999 beyond any double.
        throw DataError(SourcePosition{fileName, 0, 0},
                        "holds a number too large for any value (beyond 1.8e308; no Korvana "
                        "file does) - give the right file, or correct the number");
    }
}

nlohmann::json readJsonFile(const std::string& fileName, FileKind kind) {
    return parseJsonText(readRegularFile(fileName, kind), fileName);
}

}  // namespace korvana
