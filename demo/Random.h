#pragma once
// A small seeded generator (SplitMix64) so that the demo comes out byte-identical on every
// machine: the standard library's distributions may differ between library versions.

#include <cstdint>
#include <utility>
#include <vector>

namespace demo {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n - 1; n > 0.
  int Below(int n) { return int(Next() % uint64_t(n)); }
  // lo .. hi, both included.
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }

  template <typename T>
  void Shuffle(std::vector<T>& items) {
    for (size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[size_t(Below(int(i)))]);
  }

 private:
  uint64_t state_;
};

}  // namespace demo
