// The one way every program opens a file for reading.
//
// A name handed to a reader may be anything the file system holds: a
// directory, a named pipe that never ends or blocks forever, a device such as
// /dev/zero, a symbolic link to nothing, or a file far larger than any file of
// its kind. Each reader takes regular files only, under the size cap of its
// kind, and refuses anything else before reading a byte, naming the file and
// the reason:
//
//   kind               cap     largest real one
//   run file           1 MB    B2F.txt, 8 short lines
//   spectrum file      1 MB    B_SPCTL.dat, 306 lines (5 kB)
//   data table         4 MB    the shipped tables, up to 22 kB
//   HVL result file    1 MB    HVL_S2.dat, 5 lines
//   result file        16 MB   353 lines (40 kB)
//   uncertainty file   16 MB   about 700 rows (80 kB)
//   case file          1 MB    15 short entries
//   scene file         1 MB    a few shields and eye points, one a line
//   eye points file    1 MB    up to 64 rows
//   engine speed file  1 MB    two rates
//   CSV table          1024 MB a study's summary of up to a million conditions
//   study identity     1 MB    a study's options, one a line
//   engine log         64 MB   banner, one progress line per bin, finish lines
//
// The file is opened without blocking (a named pipe without a writer does not
// hold the program), checked on the opened descriptor (no race between the
// check and the read) and read to its end, never past the cap.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/file_kind.h"

namespace korvana {

struct FileKindLimit {
    std::string_view what;  //!< "run file", for messages
    std::uint64_t maxBytes = 0;
};

//! What a file of `kind` is called and the most it may hold.
FileKindLimit fileKindLimit(FileKind kind);

//! The whole content of the regular file `fileName`. Throws DataError naming
//! the file and the reason when it is missing, a dangling symbolic link, a
//! directory, a FIFO, a device or a socket, unreadable, or larger than its
//! kind's cap.
std::string readRegularFile(const std::string& fileName, FileKind kind);

//! True when the directory holds nothing of that name, not even a dangling
//! symbolic link: for the optional files, which are skipped when absent and
//! read (so refused by name) when anything else is there.
bool nothingNamed(const std::string& fileName);

}  // namespace korvana
