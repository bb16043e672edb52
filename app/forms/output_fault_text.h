// Why a file cannot be written (common/output_files.h), in the windows' words.
#pragma once

#include <QString>

#include "common/output_files.h"

namespace korvana::forms {

//! A kind of file as the windows name it: "物理データの表", "プログラム", ...
QString fileKindText(FileKind kind);

//! The fault of writing a run's result files: the kind standing in the way,
//! the longest name the working directory allows, the directory that cannot
//! be written or the disk that is full.
QString outputFaultText(const OutputFault& fault);

}  // namespace korvana::forms
