#include "app/run/case_file.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "common/data_error.h"
#include "common/json_file.h"
#include "common/text_file.h"

namespace korvana::app {

namespace {

constexpr const char* VERSION_KEY = "korvana_case";

[[noreturn]] void refuse(const std::string& fileName, const std::string& problem) {
    throw DataError(SourcePosition{fileName, 0, 0}, problem);
}

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The scene object of a case, read by the scene reader; a refusal names the
// key within the case.
SceneDescription readCaseScene(const nlohmann::json& value, const std::string& fileName) {
    if (!value.is_object()) {
        refuse(fileName, std::string("key \"") + CASE_SCENE_KEY + "\": the value " +
                             quoteValue(value.dump(), '\'') +
                             " is not a scene ({\"version\": 1, ...}) - save the case again "
                             "from korvana");
    }
    try {
        return parseSceneText(value.dump(), fileName);
    } catch (const DataError& e) {
        const std::string& problem = e.problem();
        const std::string_view KEY = "key ";
        refuse(fileName, problem.starts_with(KEY)
                             ? std::string(KEY) + CASE_SCENE_KEY + "." + problem.substr(KEY.size())
                             : std::string("key ") + CASE_SCENE_KEY + ": " + problem);
    }
}

}  // namespace

const std::vector<std::string>& caseKeys() {
    static const std::vector<std::string> keys = {
        "thickness", "fsd", "field",  "kv",        "angle",   "inherent",  "al",   "cu",
        "mode",      "pb",  "length", "histories", "threads", "estimator", "name", CASE_SCENE_KEY};
    return keys;
}

std::string caseFileText(const CaseEntries& entries) {
    nlohmann::ordered_json json;
    const bool withScene = entries.count(CASE_SCENE_KEY) != 0;
    json[VERSION_KEY] = withScene ? CASE_FILE_VERSION : CASE_FILE_VERSION_WITHOUT_SCENE;
    for (const std::string& key : caseKeys()) {
        const auto it = entries.find(key);
        if (it == entries.end()) continue;
        if (key == CASE_SCENE_KEY) {
            // The scene file's canonical text, as its object.
            json[key] =
                nlohmann::ordered_json::parse(joinedLines(sceneFileLines(*caseScene(entries))));
        } else {
            json[key] = it->second;
        }
    }
    return json.dump(2) + "\n";
}

void writeCaseFile(const std::string& fileName, const CaseEntries& entries) {
    std::vector<std::string> lines;
    const std::string text = caseFileText(entries);
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
    }
    writeTextFileAtomically(fileName, lines);
}

CaseEntries readCaseFile(const std::string& fileName) {
    const nlohmann::json json = readJsonFile(fileName, FileKind::Case);
    if (!json.is_object() || !json.contains(VERSION_KEY)) {
        refuse(fileName, std::string("is not a case file (no \"") + VERSION_KEY +
                             "\" key) - save the case again from korvana");
    }
    const nlohmann::json& version = json[VERSION_KEY];
    if (!version.is_number_integer() || version.get<long long>() < 1) {
        refuse(fileName, std::string("key \"") + VERSION_KEY +
                             "\": not a case layout version (the file is damaged)");
    }
    if (version.get<long long>() > CASE_FILE_VERSION) {
        refuse(fileName, std::string("key \"") + VERSION_KEY + "\": the case was written by a " +
                             "newer Korvana (layout " + quoteValue(version.dump()) +
                             ", this one reads " + std::to_string(CASE_FILE_VERSION) +
                             ") - update Korvana");
    }
    CaseEntries entries;
    for (const auto& [key, value] : json.items()) {
        if (key == VERSION_KEY) continue;
        if (std::find(caseKeys().begin(), caseKeys().end(), key) == caseKeys().end()) {
            refuse(fileName, "key " + quoteValue(key) +
                                 ": not an entry of a case (the file is damaged or from a newer "
                                 "Korvana)");
        }
        if (key == CASE_SCENE_KEY) {
            setCaseScene(entries, readCaseScene(value, fileName));
        } else if (value.is_string()) {
            entries[key] = value.get<std::string>();
        } else if (value.is_number()) {
            entries[key] = value.dump();
        } else {
            refuse(fileName, "key " + quoteValue(key) + ": the value " +
                                 quoteValue(value.dump(), '\'') +
                                 " is neither a text nor a number");
        }
    }
    return entries;
}

std::optional<SceneDescription> caseScene(const CaseEntries& entries) {
    const auto it = entries.find(CASE_SCENE_KEY);
    if (it == entries.end()) return std::nullopt;
    return parseSceneText(it->second, std::string("the case's ") + CASE_SCENE_KEY);
}

void setCaseScene(CaseEntries& entries, const std::optional<SceneDescription>& scene) {
    if (scene) {
        entries[CASE_SCENE_KEY] = joinedLines(sceneFileLines(*scene));
    } else {
        entries.erase(CASE_SCENE_KEY);
    }
}

}  // namespace korvana::app
