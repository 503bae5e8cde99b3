#include "world/CellList.h"

namespace world {

bool CellListReader::Next(CellText& cell) {
  if (rest_.empty()) return false;
  cell = {};
  const size_t blank = noBlankLeft_ ? std::string_view::npos : rest_.find(' ');
  noBlankLeft_ = blank == std::string_view::npos;
  if (!noBlankLeft_) {
    cell.x = rest_.substr(0, blank);
    rest_.remove_prefix(blank + 1);
  }
  const size_t comma = rest_.find(',');
  cell.y = rest_.substr(0, comma);
  rest_.remove_prefix(comma == std::string_view::npos ? rest_.size() : comma + 1);
  return true;
}

std::vector<CellText> SplitCellList(std::string_view list) {
  std::vector<CellText> cells;
  CellText cell;
  for (CellListReader reader(list); reader.Next(cell);) cells.push_back(cell);
  return cells;
}

size_t CountCells(std::string_view list) {
  size_t count = 0;
  CellText cell;
  for (CellListReader reader(list); reader.Next(cell);) ++count;
  return count;
}

}  // namespace world
