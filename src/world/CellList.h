#pragma once
// The cell lists of the land file's mine lines and the turn file's unit lines: after a
// two-character label, pairs "x y" separated by commas.

#include <string_view>
#include <vector>

namespace world {

struct CellText {
  std::string_view x;
  std::string_view y;
};

// Takes a cell list apart from the left, literally: the x text runs to the first blank (empty
// when there is none) and the y text to the first comma (or the end); every non-empty
// remainder yields one more cell. The views point into `list`.
std::vector<CellText> SplitCellList(std::string_view list);

// The list that follows the two label characters of a mine or unit line.
inline std::string_view CellListOf(std::string_view line) {
  return line.size() > 2 ? line.substr(2) : std::string_view();
}

}  // namespace world
