#pragma once
// The cells drawn on ComposedMap since it last equalled CleanMap. Everywhere else the two
// pictures are the same, so a new turn needs to restore only these cells instead of copying the
// whole map. The record holds only for the exact pictures it was kept against: any change it was
// not told of gives either picture a new content number and so ends it.

#include <array>
#include <bit>
#include <cstdint>

namespace render {

class DrawnCells {
 public:
  // What the record was kept against.
  struct Basis {
    uint64_t composedMap = 0;  // ContentId of each picture
    uint64_t cleanMap = 0;
    int cellSize = 0;
    bool operator==(const Basis&) const = default;
  };

  static constexpr int Columns = 256;  // every cell a uint8_t can name
  static constexpr int Rows = 256;
  static constexpr int WordsPerRow = Columns / 64;
  using Row = std::array<uint64_t, WordsPerRow>;

  bool HoldsFor(const Basis& now) const { return holds_ && now == basis_; }

  // The record holds again, now for `now`, with the cells it has.
  void Confirm(const Basis& now) {
    basis_ = now;
    holds_ = true;
  }
  void Forget() { holds_ = false; }
  // No cell drawn: for a ComposedMap that is about to be made equal to CleanMap.
  void Clear() {
    rows_ = {};
    holds_ = false;
  }

  void Mark(uint8_t x, uint8_t y) { rows_[y][x / 64] |= uint64_t(1) << (x % 64); }
  const Row& CellsOfRow(uint8_t y) const { return rows_[y]; }
  // The drawn cells of row `y`, which count as clean from now on.
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
  Basis basis_;
  bool holds_ = false;
};

}  // namespace render
