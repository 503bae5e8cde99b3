#pragma once
// The chart of each player's units over the years, drawn with Qt Charts into PNG or SVG.

#include <QSize>
#include <filesystem>
#include <memory>
#include <vector>

#include "chronicle/Stats.h"
#include "world/Palette.h"

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace chart {

// One line per player, of its units in all, in its palette colour, with the player's name in the
// legend and the axes titled in Russian. Needs a QApplication.
std::unique_ptr<QChart> BuildUnitsChart(const std::vector<chronicle::YearStats>& years, const world::TPalette& palette);

// Draws the chart at `size` into `file`: SVG when its name ends in ".svg", PNG otherwise. The file
// is replaced only when the new one is complete. Throws world::FileError "Cannot create file %s".
void SaveUnitsChart(const std::vector<chronicle::YearStats>& years, const world::TPalette& palette,
                    const std::filesystem::path& file, QSize size = {1600, 900});

}  // namespace chart
