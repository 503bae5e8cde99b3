// The turn reader on any bytes, drawing as the editor does. A failed read leaves the world,
// the player count, the composed map and the current unit exactly as they were; a good one
// keeps every table within its limits, leaves the players past the file's last block alone,
// and writes back to the same players.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "render/Markers.h"
#include "world/FileError.h"
#include "world/TurnFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const world::TMap previousWorld = fuzz::BusyWorld();
  static const uint8_t previousCount = 9;
  static const render::Scene startedScene = fuzz::StartedScene();
  static render::Scene scene = startedScene;
  const std::filesystem::path file = fuzz::ScratchFolder() / "turn.tvk";
  fuzz::WriteFile(file, std::string(reinterpret_cast<const char*>(data), size));

  world::TMap World = previousWorld;
  uint8_t PlayerCount = previousCount;
  scene.ComposedMap = startedScene.ComposedMap;
  scene.Window = startedScene.Window;
  const render::EditingState previousState{false, 0, 4, 2};
  render::EditingState state = previousState;

  try {
    render::ReadTurnFileAndDraw(scene, World, PlayerCount, state, file);
  } catch (const world::FileError& e) {
    // A readable file fails only on its content: a bad number, or more than the tables hold.
    FUZZ_CHECK(e.code() == world::IoInvalidNumeric || e.code() == 0);
    FUZZ_CHECK(World == previousWorld);
    FUZZ_CHECK(PlayerCount == previousCount);
    FUZZ_CHECK(scene.ComposedMap == startedScene.ComposedMap);
    FUZZ_CHECK(state.CurrentPlayer == previousState.CurrentPlayer && state.CurrentUnit == previousState.CurrentUnit);
    return 0;
  }

  fuzz::CheckWorldLimits(World, PlayerCount);
  for (int p = PlayerCount + 1; p <= world::MaxPlayers; ++p) FUZZ_CHECK(World.players[p] == previousWorld.players[p]);
  FUZZ_CHECK(World.cells == previousWorld.cells && World.lands == previousWorld.lands);
  // The current unit is the last one read, or stays when the file holds none.
  int lastPlayer = 0;
  for (int p = 1; p <= PlayerCount; ++p)
    if (World.players[p].count > 0) lastPlayer = p;
  if (lastPlayer == 0) {
    FUZZ_CHECK(state.CurrentPlayer == previousState.CurrentPlayer && state.CurrentUnit == previousState.CurrentUnit);
  } else {
    FUZZ_CHECK(state.CurrentPlayer == lastPlayer && state.CurrentUnit == World.players[lastPlayer].count);
  }
  FUZZ_CHECK(state.Holding == previousState.Holding && state.SelectedKind == previousState.SelectedKind);
  fuzz::CheckTurnRoundTrip(World, PlayerCount);
  return 0;
}
