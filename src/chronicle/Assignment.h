#pragma once
// The assignment problem: rows paired with columns so that the summed cost is smallest.

#include <vector>

namespace chronicle {

// Pairs every row with a column of its own, no column twice, so that the sum of the costs of
// the pairs is the smallest there is (the Hungarian method, in O(rows² · columns)). There must be
// no more rows than columns; the result gives each row's column. The same costs always give the
// same pairs.
std::vector<int> MinCostAssignment(const std::vector<std::vector<int>>& cost, int columns);

}  // namespace chronicle
