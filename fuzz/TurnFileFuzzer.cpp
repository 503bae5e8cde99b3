// The turn reader on any bytes, drawing as the editor does. A failed read leaves the world,
// the player count, the composed map and the current unit exactly as they were; a good one
// keeps every table within its limits, leaves the players past the file's last block alone,
// and writes back to the same players.

#include <tuple>

#include "FuzzSupport.h"
#include "app/HeadlessUi.h"
#include "render/Markers.h"

namespace {

auto Fields(const render::EditingState& s) {
  return std::tuple(s.Holding, s.SelectedKind, s.CurrentPlayer, s.CurrentUnit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const world::TMap previousWorld = fuzz::BusyWorld();
  static const uint8_t previousCount = 9;
  static app::HeadlessUi ui;
  static const render::Scene startedScene = [] {
    app::Editor editor(ui);
    fuzz::StartEditor(editor);
    return editor.scene;
  }();
  static render::Scene scene = startedScene;
  const std::filesystem::path file = fuzz::WriteInput("turn.tvk", data, size);

  world::TMap World = previousWorld;
  uint8_t PlayerCount = previousCount;
  scene.ComposedMap = startedScene.ComposedMap;
  scene.Window = startedScene.Window;
  const render::EditingState previousState{false, 0, 4, 2};
  render::EditingState state = previousState;
  const std::optional<int> error =
      fuzz::ErrorCode([&] { render::ReadTurnFileAndDraw(scene, World, PlayerCount, state, file); });

  render::EditingState expectedState = previousState;
  if (error) {
    // A readable file fails only on its content: a bad number, or more than the tables hold.
    FUZZ_CHECK(*error == world::IoInvalidNumeric || *error == 0);
    FUZZ_CHECK(World == previousWorld && PlayerCount == previousCount);
    FUZZ_CHECK(scene.ComposedMap == startedScene.ComposedMap);
  } else {
    fuzz::CheckWorldLimits(World, PlayerCount);
    for (int p = PlayerCount + 1; p <= world::MaxPlayers; ++p)
      FUZZ_CHECK(World.players[p] == previousWorld.players[p]);
    FUZZ_CHECK(World.cells == previousWorld.cells && World.lands == previousWorld.lands);
    fuzz::CheckTurnRoundTrip(World, PlayerCount);
    // The current unit is the last one read, or stays when the file holds none.
    for (int p = 1; p <= PlayerCount; ++p)
      if (World.players[p].count > 0) {
        expectedState.CurrentPlayer = uint8_t(p);
        expectedState.CurrentUnit = World.players[p].count;
      }
  }
  FUZZ_CHECK(Fields(state) == Fields(expectedState));
  return 0;
}
