#pragma once
// The cell lists of the land file's mine lines and the turn file's unit lines: after a
// two-character label, pairs "x y" separated by commas.

#include <cstddef>
#include <string_view>
#include <vector>

namespace world {

struct CellText {
  std::string_view x;
  std::string_view y;
};

// Takes a cell list apart from the left, literally: the x text runs to the first blank (empty
// when there is none) and the y text to the first comma (or the end); every non-empty
// remainder yields one more cell. The views point into the list. One cell at a time, so that
// a line of hundreds of megabytes costs no more memory than the line itself.
class CellListReader {
 public:
  explicit CellListReader(std::string_view list) : rest_(list) {}
  // The next cell, or false when the list is used up.
  bool Next(CellText& cell);

 private:
  std::string_view rest_;
  // Once no blank is left none can appear again; remembering it keeps a long list without
  // blanks from being searched to its end for every cell.
  bool noBlankLeft_ = false;
};

// All cells of a list at once.
std::vector<CellText> SplitCellList(std::string_view list);
size_t CountCells(std::string_view list);

// The list that follows the two label characters of a mine or unit line.
inline std::string_view CellListOf(std::string_view line) {
  return line.size() > 2 ? line.substr(2) : std::string_view();
}

}  // namespace world
