#pragma once
// A set of map cells, one bit each, kept by rows: the cells drawn on the composed map.

#include <array>
#include <bit>
#include <cstdint>

namespace render {

class DrawnCells {
 public:
  static constexpr int Columns = 256;  // every cell a uint8_t can name
  static constexpr int Rows = 256;
  static constexpr int WordsPerRow = Columns / 64;
  using Row = std::array<uint64_t, WordsPerRow>;

  void Clear() { rows_ = {}; }
  // Every cell of `other` joins the set.
  void Add(const DrawnCells& other) {
    for (int y = 0; y < Rows; ++y)
      for (int word = 0; word < WordsPerRow; ++word) rows_[y][word] |= other.rows_[y][word];
  }
  void Mark(uint8_t x, uint8_t y) { rows_[y][x / 64] |= uint64_t(1) << (x % 64); }
  const Row& CellsOfRow(uint8_t y) const { return rows_[y]; }
  // The cells of `cells` leave row `y`.
  void Remove(uint8_t y, const Row& cells) {
    for (int word = 0; word < WordsPerRow; ++word) rows_[y][word] &= ~cells[word];
  }
  // The cells of row `y`, which are taken out of the set.
  Row TakeRow(uint8_t y) {
    const Row taken = rows_[y];
    rows_[y] = {};
    return taken;
  }

  // Calls visit(first, end) for each run of adjacent cells [first, end) in `row`.
  template <typename Visit>
  static void ForEachRun(const Row& row, Visit visit) {
    int x = 0;
    while (x < Columns) {
      const int first = NextWithBit(row, x, true);
      if (first >= Columns) return;
      x = NextWithBit(row, first, false);
      visit(first, x);
    }
  }

 private:
  // The first column from `from` on whose bit is `set`; Columns when there is none.
  static int NextWithBit(const Row& row, int from, bool set) {
    for (int word = from / 64; word < WordsPerRow; ++word) {
      uint64_t bits = set ? row[word] : ~row[word];
      if (word == from / 64) bits &= ~uint64_t(0) << (from % 64);
      if (bits) return word * 64 + std::countr_zero(bits);
    }
    return Columns;
  }

  std::array<Row, Rows> rows_{};
};

}  // namespace render
