// OUT/summary.svg drawn with QtGui's QPainter into a QSvgGenerator, no
// widgets: the series and axes of summary_series.h with ticks, units, a
// legend and, with a workload, the 20 mSv limit as a dash-dotted line (solid
// 90 degrees, dashed 120 degrees, one colour per series); with eye points,
// their air kerma ratios. This is the only
// part of korvana-study that needs Qt.
#pragma once

#include <string>
#include <vector>

#include "app/study/study_options.h"
#include "app/study/summary_file.h"

namespace korvana::study {

//! Draws the plot of `rows` against `swept` (one or two inputs) into
//! `fileName`. Throws DataError when it cannot be written.
void writeSummaryPlot(const std::string& fileName, const std::vector<SummaryRow>& rows,
                      const std::vector<StudyInput>& swept,
                      const SummaryLayout& layout = SummaryLayout{});

}  // namespace korvana::study
