#include "world/CellList.h"

namespace world {

std::vector<CellText> SplitCellList(std::string_view list) {
  std::vector<CellText> cells;
  while (!list.empty()) {
    CellText cell;
    const size_t blank = list.find(' ');
    if (blank != std::string_view::npos) {
      cell.x = list.substr(0, blank);
      list.remove_prefix(blank + 1);
    }
    const size_t comma = list.find(',');
    cell.y = list.substr(0, comma);
    list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    cells.push_back(cell);
  }
  return cells;
}

}  // namespace world
