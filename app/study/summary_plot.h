// OUT/summary.svg: the eye lens dose without glasses at 90 and 120 degrees
// (per Gy, or with a workload the year's Hp(3) in mSv with the 20 mSv limit
// drawn as a dash-dotted line)
// against the first swept input, one line per value of the second swept
// input (solid 90 degrees, dashed 120 degrees, one colour per value), with
// axes, ticks, units and a legend. Drawn with QtGui's QPainter into a
// QSvgGenerator; no widgets. Failed conditions and doses that do not exist
// leave gaps. The dose axis is logarithmic when the doses span more than a
// factor of ten, linear otherwise; an input that is not a number (the mode, a
// field LONGxSHORT) is placed at equal steps in study order.
#pragma once

#include <string>
#include <vector>

#include "app/study/study_options.h"
#include "app/study/summary_file.h"

namespace korvana::study {

//! The inputs that take more than one value among the rows, in input order.
std::vector<StudyInput> sweptColumns(const std::vector<SummaryRow>& rows);

//! Draws the plot of `rows` against `swept` (one or two inputs) into
//! `fileName`. Throws DataError when it cannot be written.
void writeSummaryPlot(const std::string& fileName, const std::vector<SummaryRow>& rows,
                      const std::vector<StudyInput>& swept);

}  // namespace korvana::study
