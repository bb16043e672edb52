#include "common/text_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "common/record_reader.h"
#include "common/record_writer.h"

namespace korvana {

TextLines readTextFile(const std::string& fileName, FileKind kind) {
    const std::string text = readRegularFile(fileName, kind);
    const std::string_view what = fileKindLimit(kind).what;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        throw DataError(SourcePosition{fileName, 1, 1},
                        "begins with a UTF-8 byte order mark (an editor saved it as \"UTF-8 with "
                        "BOM\") - save it as plain text without BOM");
    }
    if (text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0) {
        throw DataError(SourcePosition{fileName, 1, 1},
                        "is UTF-16 text (it begins with a UTF-16 byte order mark; a " +
                            std::string(what) + " is plain text) - save it as plain text");
    }
    for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1)) {
        if (at + 1 < text.size() && text[at + 1] == '\n') continue;
        const auto line =
            1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n');
        throw DataError(SourcePosition{fileName, static_cast<int>(line), 0},
                        "the line ends in CR alone (old Mac OS line ends), so its lines cannot "
                        "be told apart - save it with LF or CR LF line ends");
    }

    TextLines file{fileName, {}};
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool lastLine = end == std::string::npos;
        if (lastLine) end = text.size();
        std::size_t length = end - start;
        if (length > 0 && text[start + length - 1] == '\r') --length;
        file.lines.emplace_back(text, start, length);
        start = lastLine ? text.size() : end + 1;
    }
    return file;
}

std::string_view LineCursor::nextLine(std::string_view expectedWhat) {
    if (atEnd()) {
        const int missing = static_cast<int>(m_next) + 1;
        throw DataError(SourcePosition{m_file.fileName, missing, 0},
                        "unexpected end of file: line " + std::to_string(missing) +
                            " should hold " + std::string(expectedWhat) +
                            " (the file is short) - restore the complete file");
    }
    return m_file.lines[m_next++];
}

SourcePosition LineCursor::position(int column) const {
    return SourcePosition{m_file.fileName, static_cast<int>(m_next), column};
}

float LineCursor::nextFreeReal(std::string_view expectedWhat) {
    float value = 0;
    for (;;) {
        const std::string_view line = nextLine(expectedWhat);
        if (parseFreeReal(line, position(), value)) return value;
    }
}

std::string trimTrailingBlanks(std::string_view text) {
    const std::size_t end = text.find_last_not_of(" \t");
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string temporaryFileName(const std::string& fileName) {
    return fileName + ".tmp" + std::to_string(::getpid());
}

std::string writeFailureReason(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "the disk is full";
        case EROFS:
            return "the file system is read-only";
        case EACCES:
        case EPERM:
            return "the directory is not writable";
        case ENAMETOOLONG:
            return "the name is too long for the file system";
        case ENOENT:
        case ENOTDIR:
            return "the directory does not exist";
        case EISDIR:
            return "a directory stands at that name";
        case 0:
            return "the system gave no reason";
        default:
            return std::strerror(error);
    }
}

namespace {

//! Writes `lines` to `temporary`; the system's error number, 0 on success.
int writeTemporary(const std::string& temporary, const std::vector<std::string>& lines) {
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return errno != 0 ? errno : EIO;
    for (const std::string& line : lines) out << line << LINE_END;
    out.close();
    if (!out) return errno != 0 ? errno : EIO;
    return 0;
}

}  // namespace

void writeTextFileAtomically(const std::string& fileName, const std::vector<std::string>& lines) {
    namespace fs = std::filesystem;
    const std::string temporary = temporaryFileName(fileName);
    if (const int error = writeTemporary(temporary, lines)) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw DataError(SourcePosition{fileName, 0, 0},
                        "could not be written (" + writeFailureReason(error) +
                            ") - free space, make the directory writable or choose another name");
    }
    std::error_code ec;
    fs::rename(temporary, fileName, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw DataError(SourcePosition{fileName, 0, 0}, "could not be put in place (" +
                                                            writeFailureReason(ec.value()) +
                                                            ") - check the directory and the name");
    }
}

void writeTextFilesTogether(const std::vector<TextFileContent>& files) {
    namespace fs = std::filesystem;
    std::vector<std::string> staged;
    const auto discardStaged = [&staged] {
        for (const std::string& name : staged) {
            std::error_code ignored;
            fs::remove(name, ignored);
        }
    };
    for (const TextFileContent& file : files) {
        // Renaming onto a directory would fail only after some files were in place.
        std::error_code ec;
        if (fs::is_directory(file.fileName, ec)) {
            discardStaged();
            throw DataError(SourcePosition{file.fileName, 0, 0},
                            "is a directory - move it away or choose another directory; none of "
                            "the files was written");
        }
        const std::string temporary = temporaryFileName(file.fileName);
        const int error = writeTemporary(temporary, file.lines);
        staged.push_back(temporary);
        if (error) {
            discardStaged();
            throw DataError(SourcePosition{file.fileName, 0, 0},
                            "could not be written (" + writeFailureReason(error) +
                                ") - free space, make the directory writable or choose another "
                                "one; none of the files was written");
        }
    }
    for (std::size_t n = 0; n < files.size(); ++n) {
        std::error_code ec;
        fs::rename(staged[n], files[n].fileName, ec);
        if (ec) {
            staged.erase(staged.begin(), staged.begin() + static_cast<std::ptrdiff_t>(n));
            discardStaged();
            throw DataError(SourcePosition{files[n].fileName, 0, 0},
                            "could not be put in place (" + writeFailureReason(ec.value()) +
                                ") - check the directory");
        }
    }
}

}  // namespace korvana
