// The turn reader on any bytes, drawing as the editor does. A failed read leaves the world,
// the composed map and the current unit as they were; a good one keeps the tables within
// their limits, leaves the players past the file's last block alone and writes back the same.

#include "FuzzSupport.h"
#include "editor/HeadlessUi.h"
#include "render/Markers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const world::TMap previousWorld = fuzz::BusyWorld();
  static editor::HeadlessUi ui;
  static const render::Scene startedScene = [] {
    editor::Editor editor(ui);
    fuzz::StartEditor(editor);
    return editor.scene;
  }();
  static render::Scene scene = startedScene;
  const std::filesystem::path file = fuzz::WriteInput("turn.tvk", data, size);

  world::TMap World = previousWorld;
  uint8_t PlayerCount = 9;
  scene.ComposedMap = startedScene.ComposedMap;
  scene.Window = startedScene.Window;
  render::EditingState state{false, 0, 4, 2};
  const std::optional<int> error =
      fuzz::ErrorCode([&] { render::ReadTurnFileAndDraw(scene, World, PlayerCount, state, file); });
  if (error) {
    // A readable file fails only on its content: a bad number, or more than the tables hold.
    FUZZ_CHECK(*error == world::IoInvalidNumeric || *error == 0);
    FUZZ_CHECK(World == previousWorld && PlayerCount == 9);
    FUZZ_CHECK(scene.ComposedMap == startedScene.ComposedMap);
    FUZZ_CHECK(state.CurrentPlayer == 4 && state.CurrentUnit == 2);
    return 0;
  }
  fuzz::CheckWorldLimits(World, PlayerCount);
  for (int p = PlayerCount + 1; p <= world::MaxPlayers; ++p) FUZZ_CHECK(World.players[p] == previousWorld.players[p]);
  FUZZ_CHECK(World.cells == previousWorld.cells && World.lands == previousWorld.lands);
  fuzz::CheckTurnRoundTrip(World, PlayerCount);
  return 0;
}
