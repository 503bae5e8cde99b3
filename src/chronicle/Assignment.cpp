#include "chronicle/Assignment.h"

#include <cstddef>
#include <limits>

namespace chronicle {

using std::size_t;

std::vector<int> MinCostAssignment(const std::vector<std::vector<int>>& cost, int columns) {
  const int rows = int(cost.size());
  constexpr long long Infinite = std::numeric_limits<long long>::max() / 4;
  // Potentials of rows and columns, 1-based with 0 as the free column the search starts from;
  // rowOf[j] is the row paired with column j.
  std::vector<long long> rowPotential(size_t(rows) + 1), columnPotential(size_t(columns) + 1);
  std::vector<int> rowOf(size_t(columns) + 1), previous(size_t(columns) + 1);
  for (int row = 1; row <= rows; ++row) {
    rowOf[0] = row;
    int column = 0;
    std::vector<long long> slack(size_t(columns) + 1, Infinite);
    std::vector<bool> visited(size_t(columns) + 1, false);
    // Grow a tree of tight edges from the new row until it reaches a free column.
    do {
      visited[size_t(column)] = true;
      const int from = rowOf[size_t(column)];
      long long delta = Infinite;
      int next = 0;
      for (int j = 1; j <= columns; ++j) {
        if (visited[size_t(j)]) continue;
        const long long reduced = cost[size_t(from) - 1][size_t(j) - 1] - rowPotential[size_t(from)] - columnPotential[size_t(j)];
        if (reduced < slack[size_t(j)]) {
          slack[size_t(j)] = reduced;
          previous[size_t(j)] = column;
        }
        if (slack[size_t(j)] < delta) {
          delta = slack[size_t(j)];
          next = j;
        }
      }
      for (int j = 0; j <= columns; ++j) {
        if (visited[size_t(j)]) {
          rowPotential[size_t(rowOf[size_t(j)])] += delta;
          columnPotential[size_t(j)] -= delta;
        } else {
          slack[size_t(j)] -= delta;
        }
      }
      column = next;
    } while (rowOf[size_t(column)] != 0);
    // Flip the path of alternating pairs that ends in the free column.
    do {
      const int before = previous[size_t(column)];
      rowOf[size_t(column)] = rowOf[size_t(before)];
      column = before;
    } while (column != 0);
  }
  std::vector<int> columnOf(size_t(rows), -1);
  for (int j = 1; j <= columns; ++j)
    if (rowOf[size_t(j)] != 0) columnOf[size_t(rowOf[size_t(j)]) - 1] = j - 1;
  return columnOf;
}

}  // namespace chronicle
