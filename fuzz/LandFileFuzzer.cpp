// The land reader on any bytes. It sets only cells and lands, cell mines only to kinds 1..4,
// and LandCount to 255 exactly when it succeeds; a failure is a bad number and nothing else.

#include "FuzzSupport.h"
#include "world/LandFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const world::TMap startingWorld = fuzz::BusyWorld();
  const std::filesystem::path file = fuzz::WriteInput("orv.dat", data, size);

  world::TMap World = startingWorld;
  uint8_t LandCount = 0;
  const std::optional<int> error = fuzz::ErrorCode([&] { world::ReadLandFile(World, LandCount, file); });
  FUZZ_CHECK(!error || *error == world::IoInvalidNumeric);
  FUZZ_CHECK(LandCount == (error ? 0 : world::MaxLands));
  FUZZ_CHECK(World.players == startingWorld.players && World.Year == startingWorld.Year);
  FUZZ_CHECK(World.lands[0] == startingWorld.lands[0]);
  for (int x = 0; x <= world::MapWidth; ++x)
    for (int y = 0; y <= world::MapHeight; ++y) {
      const world::TCell& cell = World.cells[x][y];
      if (!world::IsOnMap(x, y)) FUZZ_CHECK(cell == startingWorld.cells[x][y]);
      FUZZ_CHECK(cell.mine == 9 || (cell.mine >= 1 && cell.mine <= world::MineKindCount));
    }
  return 0;
}
