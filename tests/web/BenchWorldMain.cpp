// tirmagor-bench-world DIR: the benchmarks' full-load world, for the browser tests' large site:
// DIR/world with the start-up files and DIR/epoch with 100 years of 27 players of 127 units.

#include <iostream>

#include "BenchWorld.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "Usage: tirmagor-bench-world DIR\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  bench::WriteBenchWorld(root / "world", root / "epoch");
  return 0;
}
