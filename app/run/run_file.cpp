#include "app/run/run_file.h"

#include <cstdlib>
#include <filesystem>

#include "app/common/picture_format.h"
#include "app/common/text_value.h"
#include "common/curtain_rule.h"
#include "common/file_names.h"

namespace korvana::app {

std::vector<std::string> formatRunFileLines(const RunFileTexts& texts) {
    return {
        formatPicture(textValue(texts.phantomThicknessCm), "#0.0"),
        formatPicture(textValue(texts.focusSurfaceCm), "#00.0"),
        formatPicture(textValue(texts.fieldLongCm), "#0.0"),
        formatPicture(textValue(texts.fieldShortCm), "#0.0"),
        formatPicture(textValue(texts.curtainLeadMm) * 0.1, "0.000"),  // mm -> cm
        formatPicture(textValue(texts.curtainLengthCm), "00.0"),
        formatPicture(textValue(texts.historyCount), "0.000E+00"),
        texts.resultName + ".data",
    };
}

std::optional<RunValueFault> runFileFault(const RunFileTexts& texts) {
    const std::vector<std::string> lines = formatRunFileLines(texts);
    // The engine reads each line as a single-precision real.
    const auto read = [&lines](std::size_t line) {
        return static_cast<double>(static_cast<float>(std::strtod(lines[line].c_str(), nullptr)));
    };
    RunValues values;
    values.phantomThicknessCm = read(0);
    values.focusSurfaceCm = read(1);
    values.fieldSizeYCm = read(2);
    values.fieldSizeXCm = read(3);
    values.curtainLeadCm = read(4);
    values.curtainLengthCm = read(5);
    values.historyCount = read(6);
    return checkRunValues(values);
}

CurtainCheck checkCurtain(std::string_view curtainLeadMm, std::string_view curtainLengthCm,
                          std::string_view focusSurfaceCm, std::string_view phantomThicknessCm) {
    if (curtainLeadMm.empty() || curtainLengthCm.empty()) return CurtainCheck::EntryMissing;
    // The curtain may reach from the object's far surface up to 20 cm short of the focus.
    const double longestCm =
        longestCurtainCm(textValue(focusSurfaceCm), textValue(phantomThicknessCm));
    if (longestCm < textValue(curtainLengthCm)) return CurtainCheck::LengthTooLong;
    return CurtainCheck::Accepted;
}

ResultNameFault resultNameFault(std::string_view name, const std::string& directory) {
    if (name.empty()) return ResultNameFault::Empty;
    if (name == "." || name == "..") return ResultNameFault::Directory;
    for (const char c : name) {
        if (c == '/' || c == '\\') return ResultNameFault::PathSeparator;
    }
    // The common rule also refuses control characters and : * ? " < > |.
    if (!fileNameProblem(name).empty()) return ResultNameFault::ForbiddenCharacter;
    if (name.front() == '.') return ResultNameFault::Hidden;
    if (name.size() > longestResultStem(directory)) return ResultNameFault::TooLong;
    return ResultNameFault::None;
}

std::vector<OutputFile> runOutputFiles(const std::string& directory, const std::string& name) {
    const auto inDirectory = [&directory](const std::string& file) {
        return directory.empty() ? file : (std::filesystem::path(directory) / file).string();
    };
    std::vector<OutputFile> files = resultOutputFiles(inDirectory(name + ".data"));
    files.push_back({inDirectory(name + ".log"), FileKind::Log});
    return files;
}

}  // namespace korvana::app
