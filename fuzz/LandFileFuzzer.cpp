// The land reader on any bytes. It sets only cells and lands, cell mines only to kinds 1..4,
// and LandCount to 255 exactly when it succeeds; a failure is a bad number and nothing else;
// and reading the same file a second time changes nothing and ends the same way.

#include "FuzzSupport.h"
#include "world/LandFile.h"

namespace {

// A mine value that no file sets, so that the cells the file named can be told apart.
constexpr uint8_t UntouchedMine = 9;

world::TMap StartingWorld() {
  world::TMap World = fuzz::BusyWorld();
  for (auto& column : World.cells)
    for (world::TCell& cell : column) cell.mine = UntouchedMine;
  return World;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const world::TMap startingWorld = StartingWorld();
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
      FUZZ_CHECK(cell.mine == UntouchedMine || (cell.mine >= 1 && cell.mine <= world::MineKindCount));
    }

  world::TMap again = World;
  uint8_t againCount = 0;
  FUZZ_CHECK(fuzz::ErrorCode([&] { world::ReadLandFile(again, againCount, file); }) == error);
  FUZZ_CHECK(again == World);
  return 0;
}
