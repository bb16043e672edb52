#include "common/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/file_names.h"
#include "common/points_file.h"
#include "common/result_layout.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"

namespace korvana {

namespace fs = std::filesystem;

namespace {

//! When pathconf gives no limit: the common one of Linux file systems.
constexpr long FALLBACK_NAME_MAX = 255;
constexpr long FALLBACK_PATH_MAX = 4096;
//! The first bytes read to tell a file by its content; a result file is smaller.
constexpr std::size_t SNIFF_BYTES = 64 * 1024;

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

//! A result file (its line count) or a case file (its version key) told
//! from the first bytes; nothing for anything else.
std::optional<FileKind> kindOfContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(SNIFF_BYTES, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.find("\"korvana_case\"") != std::string::npos) return FileKind::Case;
    if (text.size() < SNIFF_BYTES &&
        std::count(text.begin(), text.end(), '\n') == RESULT_FILE_LINES) {
        return FileKind::Result;
    }
    return std::nullopt;
}

long pathLimit(const fs::path& directory, int which, long fallback) {
    errno = 0;
    const long limit = ::pathconf(directory.c_str(), which);
    return limit > 0 ? limit : fallback;
}

//! The directory a file is written in, as the program names it.
fs::path directoryOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

//! The nearest part of `directory` that exists: the directory itself, or
//! the parent under which it will be created.
fs::path nearestExisting(fs::path directory) {
    std::error_code ec;
    while (!fs::exists(directory, ec) && directory.has_relative_path()) {
        const fs::path parent = directory.parent_path();
        directory = parent.empty() ? fs::path(".") : parent;
    }
    return directory;
}

//! Creates and removes one file in `directory`; the system's error number, 0 when it works.
int probeWritable(const fs::path& directory) {
    const std::string probe = temporaryFileName((directory / ".korvana-probe").string());
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EEXIST ? 0 : errno;
    ::close(fd);
    ::unlink(probe.c_str());
    return 0;
}

std::optional<OutputFault> kindFault(const OutputFile& file, SameKind sameKind) {
    OutputFault fault;
    fault.path = file.path;
    fault.kind = file.kind;
    if (const std::optional<FileKind> standing = kindOfFile(file.path)) {
        fault.found = *standing;
        fault.exists = true;
        if (*standing != file.kind) return fault;
        if (sameKind == SameKind::Refuse) {
            fault.problem = OutputProblem::Exists;
            return fault;
        }
        return std::nullopt;
    }
    if (const std::optional<FileKind> named = kindOfName(file.path); named && *named != file.kind) {
        fault.found = *named;
        return fault;
    }
    return std::nullopt;
}

std::optional<OutputFault> limitFault(const OutputFile& file) {
    OutputFault fault;
    fault.path = file.path;
    fault.kind = file.kind;
    const fs::path directory = directoryOf(file.path);
    const fs::path base = nearestExisting(directory);
    std::error_code ec;
    if (!fs::is_directory(base, ec)) {
        fault.problem = OutputProblem::NoDirectory;
        fault.path = base.string();
        fault.reason =
            fs::exists(base, ec) ? "it is a file, not a directory" : "it cannot be reached";
        return fault;
    }
    const auto nameMax = static_cast<std::size_t>(pathLimit(base, _PC_NAME_MAX, FALLBACK_NAME_MAX));
    const auto pathMax = static_cast<std::size_t>(pathLimit(base, _PC_PATH_MAX, FALLBACK_PATH_MAX));
    // Directories still to be made hold no temporary of their own.
    const fs::path toMake = directory.lexically_relative(base);
    if (!toMake.empty() && toMake != ".") {
        fs::path made = base;
        for (const fs::path& part : toMake) {
            made /= part;
            if (part.string().size() > nameMax) {
                fault.problem = OutputProblem::NameTooLong;
                fault.path = made.string();
                fault.found = FileKind::Directory;
                fault.longestBytes = nameMax;
                return fault;
            }
        }
    }
    const std::string name = fs::path(file.path).filename().string();
    if (name.size() + TEMPORARY_SUFFIX_MAX_BYTES > nameMax) {
        fault.problem = OutputProblem::NameTooLong;
        fault.longestBytes = nameMax - std::min(nameMax, TEMPORARY_SUFFIX_MAX_BYTES);
        return fault;
    }
    // PATH_MAX counts the terminating null byte.
    if (file.path.size() + TEMPORARY_SUFFIX_MAX_BYTES + 1 > pathMax) {
        fault.problem = OutputProblem::PathTooLong;
        fault.longestBytes = pathMax - std::min(pathMax, TEMPORARY_SUFFIX_MAX_BYTES + 1);
        return fault;
    }
    return std::nullopt;
}

std::optional<OutputFault> directoryFault(const fs::path& base, FileKind kind,
                                          std::uintmax_t neededBytes) {
    OutputFault fault;
    fault.path = base.string();
    fault.kind = kind;
    if (const int error = probeWritable(base)) {
        fault.problem = OutputProblem::NotWritable;
        fault.reason = writeFailureReason(error);
        fault.systemError = error;
        return fault;
    }
    struct statvfs room {};
    if (neededBytes > 0 && ::statvfs(base.c_str(), &room) == 0) {
        const std::uintmax_t freeBytes = static_cast<std::uintmax_t>(room.f_bavail) * room.f_frsize;
        if (freeBytes < neededBytes) {
            fault.problem = OutputProblem::DiskFull;
            fault.freeBytes = freeBytes;
            fault.neededBytes = neededBytes;
            return fault;
        }
    }
    return std::nullopt;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string kilobytes(std::uintmax_t bytes) {
    return std::to_string((bytes + 1023) / 1024) + " kB";
}

}  // namespace

std::string fileKindName(FileKind kind) { return std::string(fileKindFacts(kind).description); }

std::optional<FileKind> kindOfName(std::string_view fileName) {
    const std::string name = fs::path(fileName).filename().string();
    for (const char* table : PHYSICS_TABLE_FILES) {
        if (sameLetters(name, table)) return FileKind::PhysicsTable;
    }
    if (sameLetters(name, RUN_FILE)) return FileKind::RunFile;
    if (sameLetters(name, SPECTRUM_FILE)) return FileKind::Spectrum;
    if (sameLetters(name, HVL_FILE)) return FileKind::HvlResults;
    for (const char* program : PROGRAM_FILES) {
        if (sameLetters(name, program)) return FileKind::Program;
    }
    if (!resultNameClash(name).empty()) return FileKind::Uncertainty;
    if (endsWith(name, ".data")) return FileKind::Result;
    if (endsWith(name, ".korvana.json")) return FileKind::Case;
    if (endsWith(name, SCENE_FILE_ENDING)) return FileKind::Scene;
    if (endsWith(name, POINTS_FILE_ENDING)) return FileKind::Points;
    if (endsWith(name, ".csv")) return FileKind::CsvTable;
    if (endsWith(name, ".log")) return FileKind::Log;
    return std::nullopt;
}

std::optional<FileKind> kindOfFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        // A link that leads nowhere is still something that stands there.
        struct stat link {};
        return ::lstat(path.c_str(), &link) == 0 ? std::optional(FileKind::Other) : std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) return FileKind::Directory;
    if (!S_ISREG(info.st_mode)) return FileKind::Special;
    const std::optional<FileKind> named = kindOfName(path);
    if (named && *named != FileKind::Result && *named != FileKind::Case &&
        *named != FileKind::CsvTable && *named != FileKind::Log &&
        *named != FileKind::Uncertainty && *named != FileKind::Scene &&
        *named != FileKind::Points) {
        return named;  // a fixed name: its file, executable or not
    }
    if ((info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0) return FileKind::Program;
    if (named) return named;
    return kindOfContent(path).value_or(FileKind::Other);
}

std::vector<OutputFile> resultOutputFiles(const std::string& resultFileName,
                                          ResultCompanions companions) {
    std::vector<OutputFile> files = {{resultFileName, FileKind::Result},
                                     {uncertaintyFileName(resultFileName), FileKind::Uncertainty}};
    if (companions.eyePoints) files.push_back({pointsFileName(resultFileName), FileKind::Points});
    if (companions.scene) files.push_back({sceneFileName(resultFileName), FileKind::Scene});
    return files;
}

std::optional<OutputFault> checkOutputNames(const std::vector<OutputFile>& files) {
    // Of names too long, the longest is named: its limit holds for the others too.
    std::optional<OutputFault> tooLong;
    const auto nameBytes = [](const OutputFault& f) {
        return fs::path(f.path).filename().string().size();
    };
    for (const OutputFile& file : files) {
        auto fault = limitFault(file);
        if (!fault) continue;
        if (fault->problem != OutputProblem::NameTooLong) return fault;
        if (!tooLong || nameBytes(*fault) > nameBytes(*tooLong)) tooLong = fault;
    }
    return tooLong;
}

std::optional<OutputFault> checkOutputFiles(const std::vector<OutputFile>& files, SameKind sameKind,
                                            std::uintmax_t neededBytes) {
    for (const OutputFile& file : files) {
        if (auto fault = kindFault(file, sameKind)) return fault;
    }
    if (auto fault = checkOutputNames(files)) return fault;
    std::set<fs::path> probed;
    for (const OutputFile& file : files) {
        const fs::path base = nearestExisting(directoryOf(file.path));
        if (!probed.insert(base).second) continue;
        if (auto fault = directoryFault(base, file.kind, neededBytes)) return fault;
    }
    return std::nullopt;
}

std::string describeOutputFault(const OutputFault& fault) {
    const std::string kind = fileKindName(fault.kind);
    switch (fault.problem) {
        case OutputProblem::OtherKind:
            return quoted(fault.path) + " cannot be written as " + kind + " (" +
                   (fault.exists ? "it is " : "that is the name of ") + fileKindName(fault.found) +
                   ", and " + kind + " may replace only " + kind + ") - choose another name";
        case OutputProblem::Exists:
            return quoted(fault.path) + " already holds " + kind +
                   " (writing would replace it) - choose another name";
        case OutputProblem::NameTooLong:
            return quoted(fs::path(fault.path).filename().string()) +
                   " is too long for a file name in that directory (it holds names of at most " +
                   std::to_string(fault.longestBytes + (fault.found == FileKind::Directory
                                                            ? 0
                                                            : TEMPORARY_SUFFIX_MAX_BYTES)) +
                   " bytes, and each file is first written under its name followed by up to " +
                   std::to_string(TEMPORARY_SUFFIX_MAX_BYTES) +
                   " more) - choose a name of at most " + std::to_string(fault.longestBytes) +
                   " bytes";
        case OutputProblem::PathTooLong:
            return quoted(fault.path) + " is too long a path (at most " +
                   std::to_string(fault.longestBytes) +
                   " bytes, its temporary included) - choose a shorter name or directory";
        case OutputProblem::NoDirectory:
            return quoted(fault.path) + " cannot hold the files (" + fault.reason +
                   ") - choose a directory";
        case OutputProblem::NotWritable:
            return "no file can be created in " + quoted(fault.path) + " (" + fault.reason +
                   ") - make it writable or work in another directory";
        case OutputProblem::DiskFull:
            return quoted(fault.path) + " has " + kilobytes(fault.freeBytes) +
                   " free, the files need " + kilobytes(fault.neededBytes) +
                   " (the disk is full) - free space and try again";
    }
    return quoted(fault.path) + " cannot be written";
}

std::size_t longestResultStem(const std::string& directory) {
    const fs::path base = nearestExisting(directory);
    const auto nameMax = static_cast<std::size_t>(pathLimit(base, _PC_NAME_MAX, FALLBACK_NAME_MAX));
    // The run's longest name, written first as its temporary: of the files
    // beside NAME.data, any run may write (resultOutputFiles with every companion).
    std::size_t longestSuffix = 0;
    for (const OutputFile& file : resultOutputFiles("x.data", {true, true})) {
        longestSuffix = std::max(longestSuffix, file.path.size() - 1);
    }
    const std::size_t taken = longestSuffix + TEMPORARY_SUFFIX_MAX_BYTES;
    return nameMax > taken ? nameMax - taken : 0;
}

}  // namespace korvana
