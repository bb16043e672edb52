// Whole text files, read at once and written safely.
//
// Input files are opened, read in full and closed before the next one is
// opened, so a program never holds two files at once and a file rewritten by
// another program after it was read has no effect.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/data_error.h"
#include "common/regular_file.h"

namespace korvana {

//! The lines of a text file, line ends (LF or CR LF) removed.
struct TextLines {
    std::string fileName;
    std::vector<std::string> lines;
};

//! Reads the whole file as a file of `kind` (readRegularFile). A missing,
//! unreadable or oversized file, or anything but a regular file, throws
//! DataError naming it; nothing is created. So does a text that would only
//! be misread line by line: one that begins with a byte order mark (UTF-8 or
//! UTF-16, an editor's choice), or whose lines end in CR alone (old Mac OS).
TextLines readTextFile(const std::string& fileName, FileKind kind);

//! Walks the lines of a file, one record after another.
class LineCursor {
public:
    explicit LineCursor(const TextLines& file) : m_file(file) {}

    //! The next line; throws DataError "unexpected end of file" when there is none.
    //! `expectedWhat` names what the line should hold, for the message.
    std::string_view nextLine(std::string_view expectedWhat);
    //! Position of the line last returned by nextLine.
    SourcePosition position(int column = 0) const;
    bool atEnd() const { return m_next >= m_file.lines.size(); }
    int lineNumber() const { return static_cast<int>(m_next); }

    //! A free-form real: the first number on the next line that holds an item;
    //! lines of blanks only are passed over, as a list-directed read does.
    float nextFreeReal(std::string_view expectedWhat);

private:
    const TextLines& m_file;
    std::size_t m_next = 0;
};

//! `text` without its trailing blanks and tabs.
std::string trimTrailingBlanks(std::string_view text);

//! The name a file is written under before it is renamed into place: the
//! final name followed by ".tmp" and the writing process's id, so the
//! temporary lies in the same directory and no file list of the final
//! name's pattern shows it.
std::string temporaryFileName(const std::string& fileName);

//! The most bytes temporaryFileName adds to a name in any process: ".tmp"
//! and 7 digits (Linux gives process ids below 2^22 = 4194304).
inline constexpr std::size_t TEMPORARY_SUFFIX_MAX_BYTES = 11;

//! Why writing failed with the system's error number `error`, in words a
//! user acts on ("the disk is full", "the file system is read-only", ...).
std::string writeFailureReason(int error);

//! Writes `lines`, each ended by CR LF, under a temporary name in the same
//! directory and renames it into place when complete: a reader sees either
//! the previous file or the whole new one. Throws DataError on failure.
void writeTextFileAtomically(const std::string& fileName, const std::vector<std::string>& lines);

//! A file's name and its lines, for writeTextFilesTogether.
struct TextFileContent {
    std::string fileName;
    std::vector<std::string> lines;
};

//! Writes several files as one: each under a temporary name, and only when
//! every one is complete are they renamed into place. A failure (disk full, a
//! name that cannot be created, a directory in the way) removes the temporary
//! files and throws DataError naming the file: none of the files is changed.
void writeTextFilesTogether(const std::vector<TextFileContent>& files);

}  // namespace korvana
