// What a program may write, and where: one rule for every file a program
// writes under a name a user chose (lumetrel's result file and the files beside it,
// korvana-results' case and CSV exports, korvana-study's folders, the launch
// dialog's result name), checked before any work starts.
//
// Kinds. A file replaces only a file of its own kind: a result replaces a
// result, a case a case, never a physics table, the run file, the spectrum,
// the HVL file or a program, and never a directory or a special file. The
// kind of a name comes first from the fixed names (file_names.h, compared
// without regard to the case of letters, since other systems' file names
// ignore it), then from its ending; the kind of an existing file also from
// what it is (a directory, a FIFO or device, an executable) and, for a name
// that says nothing, from its first bytes (a result file's 353 lines, a
// case file's "korvana_case" key).
//
// Limits. Each file is first written as its temporary (text_file.h), whose
// name is up to TEMPORARY_SUFFIX_MAX_BYTES longer; the temporary's name must
// fit the directory's NAME_MAX and its path PATH_MAX (pathconf), so a run is
// refused before it starts rather than losing its result at the end. A
// directory that does not exist yet is judged by its nearest existing parent.
// One file is created and removed in the directory to prove it writable, and
// its free space must hold the bytes the files need.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_kind.h"

namespace korvana {

//! "a result file", "a physics table", ... for the console programs' messages.
std::string fileKindName(FileKind kind);

//! The kind the name alone gives a file, whether or not it exists; nothing
//! when the name says nothing. `fileName` may carry a directory.
std::optional<FileKind> kindOfName(std::string_view fileName);

//! The kind of what stands at `path` (links followed); nothing when nothing does.
std::optional<FileKind> kindOfFile(const std::string& path);

//! A file a program is about to write.
struct OutputFile {
    std::string path;  //!< as the program opens it
    FileKind kind;     //!< what the program puts there
};

//! What a run writes beside its result besides the uncertainty file.
struct ResultCompanions {
    bool scene = false;      //!< the scene it was given, NAME.scene.json (scene_file.h)
    bool eyePoints = false;  //!< its scene's eye points, NAME.points.csv (points_file.h)
};

//! The result file `resultFileName`, its uncertainty file beside it and the
//! companions the run writes.
std::vector<OutputFile> resultOutputFiles(const std::string& resultFileName,
                                          ResultCompanions companions = {});

//! Room the engine's files take, with a margin: a result file holds about
//! 40 kB, its uncertainty file about 60 kB, a scene and its eye points' file
//! a few kB each.
inline constexpr std::uintmax_t RESULT_OUTPUT_BYTES = 256 * 1024;

enum class OutputProblem {
    OtherKind,    //!< the name, or what stands there, is of another kind
    Exists,       //!< a file of the same kind stands there and replacing was not allowed
    NameTooLong,  //!< the name and its temporary's suffix exceed the directory's NAME_MAX
    PathTooLong,  //!< the path and its temporary's suffix reach PATH_MAX
    NoDirectory,  //!< the directory is a file, or cannot be reached
    NotWritable,  //!< no file can be created in the directory
    DiskFull,     //!< the directory's file system has less room than the files need
};

struct OutputFault {
    OutputProblem problem = OutputProblem::OtherKind;
    std::string path;  //!< the file; the directory for NoDirectory, NotWritable, DiskFull
    FileKind kind = FileKind::Other;   //!< what the program would write
    FileKind found = FileKind::Other;  //!< OtherKind, Exists: what stands there or the name says
    bool exists = false;               //!< OtherKind: a file stands there (else only the name)
    std::size_t longestBytes = 0;      //!< NameTooLong: the most bytes the file's name may have;
                                       //!< PathTooLong: the most bytes its path may have
    std::string reason;                //!< NotWritable, NoDirectory: the system's words
    int systemError = 0;               //!< NotWritable: the system's error number
    std::uintmax_t freeBytes = 0;      //!< DiskFull
    std::uintmax_t neededBytes = 0;    //!< DiskFull
};

enum class SameKind {
    Replace,  //!< an existing file of the same kind is replaced (a result by a new run)
    Refuse,   //!< it is kept: the program asks to be told (--force)
};

//! The first fault of writing `files` (in their order: kinds, then limits,
//! then each directory's writability and room for `neededBytes`); nothing
//! when all can be written.
std::optional<OutputFault> checkOutputFiles(const std::vector<OutputFile>& files,
                                            SameKind sameKind = SameKind::Replace,
                                            std::uintmax_t neededBytes = 0);

//! The first fault of the files' names alone: a name or path too long for
//! its directory with its temporary (NameTooLong, the longest named), or a
//! directory that cannot hold them (NoDirectory). Part of checkOutputFiles.
std::optional<OutputFault> checkOutputNames(const std::vector<OutputFile>& files);

//! The fault in English, "what is wrong (why) what to do", for the console
//! programs; the front ends add their own remedy for Exists (--force).
std::string describeOutputFault(const OutputFault& fault);

//! The most bytes a result name (without ".data", as the launch dialog and
//! korvana-study take it) may have in `directory` so that every file of
//! the run, temporaries included, fits the directory's NAME_MAX.
std::size_t longestResultStem(const std::string& directory = ".");

}  // namespace korvana
