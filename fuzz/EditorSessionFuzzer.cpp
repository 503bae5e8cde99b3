// A whole editing session driven by bytes, on the Editor with a fake desktop: mouse events at
// window pixels and in the strips, year changes that load generated turn files of an epoch,
// turn and map loads, saves, scrolling and painting, undo, redo and Escape. After every event
// the tables keep their limits; a failed load changes nothing; a saved turn reads back the same;
// and whenever no edit is under way, the units and the composed map are exactly what they were
// when the history last stood at the same step.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

#include "FakeUi.h"
#include "FuzzSupport.h"
#include "editor/Recovery.h"
#include "overview/Overview.h"
#include "world/TurnFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int EpochYears = 8;  // year files Год0.tvk .. Год7.tvk

fs::path YearFile(int year) { return fuzz::ScratchFolder() / ("Год" + std::to_string(year) + ".tvk"); }

// Numbers drawn in order from the given ranges, with a blank between them.
std::string Numbers(FuzzedDataProvider& in, std::initializer_list<std::pair<int, int>> ranges) {
  std::string text;
  for (const auto& [low, high] : ranges)
    text += (text.empty() ? "" : " ") + std::to_string(in.ConsumeIntegralInRange(low, high));
  return text;
}

// A turn file made mostly of the format's own parts, so that most of them read.
std::string GenerateTurnText(FuzzedDataProvider& in) {
  const char* const others[] = {"\xD1", "x", " ", ""};  // no unit's letter
  std::string text = in.ConsumeBool() ? world::TurnLegendLine() : in.ConsumeRandomLengthString(8);
  text += "\r\n" + Numbers(in, {{-3, 1003}}) + "\r\nPlayer\r\n";
  const int players = in.ConsumeIntegralInRange(0, 29);
  for (int p = 1; p <= players; ++p) {
    text += in.ConsumeRandomLengthString(20) + "\r\n";
    text += Numbers(in, {{0, 300}, {0, 300}}) + "\r\n";
    for (int lines = in.ConsumeIntegralInRange(0, 4); lines > 0; --lines) {
      const size_t letter = in.ConsumeIntegralInRange<size_t>(0, world::KindCount + 3);
      text += letter < world::KindCount ? std::string(1, char(world::InfoOfKind(int(letter) + 1).letter))
                                        : std::string(others[letter - world::KindCount]);
      text += " ";
      const int units = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 6) : in.ConsumeIntegralInRange(0, 130);
      for (int u = 0; u < units; ++u) text += Numbers(in, {{0, 120}, {0, 80}}) + ",";
      if (in.ConsumeProbability<float>() < 0.1f) text += in.ConsumeRandomLengthString(6);
      text += "\r\n";
    }
    text += p == players ? "END\r\n" : "Player\r\n";
  }
  if (in.ConsumeProbability<float>() < 0.1f) text += in.ConsumeRandomLengthString(16);
  return text;
}

// What the history must restore: every player's units and the composed map, byte for byte.
struct Edited {
  std::array<world::TPlayer, world::MaxPlayers + 1> players;
  render::Surface composedMap;
};

Edited EditedOf(const editor::Editor& e) { return {e.World.players, e.scene.ComposedMap}; }
bool Shows(const editor::Editor& e, const Edited& state) {
  return e.World.players == state.players && e.scene.ComposedMap == state.composedMap;
}

// The state at each step of the history since it last started afresh: entry k is the state
// with k steps done, up to the last step that can be redone.
struct Timeline {
  std::vector<Edited> states;
  size_t undoCount = 0, redoCount = 0, starts = 0;

  void Restart(const editor::Editor& editor) {
    states = {EditedOf(editor)};
    undoCount = redoCount = 0;
    starts = editor.History.Starts();
  }

  // After any event, `redone` after a redo: the history stands at a step it has seen, with
  // exactly that step's state, or at a new step that drops what could have been redone.
  void Check(const editor::Editor& editor, bool redone) {
    const editor::EditHistory& history = editor.History;
    if (history.Starts() != starts) {
      FUZZ_CHECK(!history.HasOpenStep() && history.UndoCount() == 0 && history.RedoCount() == 0);
      Restart(editor);
      return;
    }
    if (history.HasOpenStep()) return;  // mid-edit: checked once the edit ends or is let go
    const size_t undo = history.UndoCount(), redo = history.RedoCount();
    if (!redone && undo == undoCount + 1 && redo == 0) {
      states.resize(undoCount + 1);
      states.push_back(EditedOf(editor));
    } else {
      FUZZ_CHECK(undo + redo == undoCount + redoCount && undo < states.size());
      FUZZ_CHECK(Shows(editor, states[undo]));
    }
    undoCount = undo;
    redoCount = redo;
  }
};

struct Session {
  editor::testing::FakeUi ui;
  editor::Editor started{ui};  // as start-up left it; every input starts from a copy
  std::optional<editor::Editor> editor;
  Timeline timeline;
  overview::Overview overview;
  std::optional<editor::RecoveryKeeper> recovery;  // the copies of unsaved edits, checked after each event

  Session() {
    ui.editor = &started;
    fuzz::StartEditor(started);
    fuzz::WriteFile(YearFile(0), "");
    started.OpenEpochOf(YearFile(0));
    FUZZ_CHECK(started.EpochDir == fuzz::ScratchFolder().string() + "/");
  }

  // An operation of a menu command, its error shown as the window shows it.
  void Run(const std::function<void(editor::Editor&)>& operation) {
    ui.Run([&] { operation(*editor); });
  }
};

// What a failed load must leave as it was.
auto State(const editor::Editor& e) {
  return std::tuple(e.World, e.PlayerCount, e.scene.ComposedMap, e.edit.CurrentPlayer, e.edit.CurrentUnit);
}

// A window pixel: anywhere (also off the window), or in the middle of a cell near the map.
std::pair<int, int> PickPoint(FuzzedDataProvider& in, const editor::Editor& editor) {
  if (in.ConsumeBool()) return {in.ConsumeIntegralInRange(-40, 1200), in.ConsumeIntegralInRange(-40, 900)};
  const int x = in.ConsumeIntegralInRange(-1, 24), y = in.ConsumeIntegralInRange(-1, 18);
  return {editor.scene.OriginX + 20 * x + 30, editor.scene.OriginY + 20 * (y - 1) + 28};
}

void RunEvent(Session& s, FuzzedDataProvider& in) {
  editor::Editor& editor = *s.editor;
  const fs::path& dir = fuzz::ScratchFolder();
  const int action = in.ConsumeIntegralInRange(0, 16);
  const editor::MouseButton button =
      in.PickValueInArray({editor::MouseButton::Left, editor::MouseButton::Right, editor::MouseButton::Middle});
  auto before = action == 5 || action == 6 || action == 9 ? std::optional(State(editor)) : std::nullopt;
  s.ui.errors.clear();
  switch (action) {
    case 0:  // a press, a move or a release
    case 1:
    case 2: {
      const auto [X, Y] = PickPoint(in, editor);
      if (action == 0) editor.MouseDOwn(button, X, Y);
      if (action == 1) editor.FormMouseMove(X, Y);
      if (action == 2) editor.Image1MouseUp(button, X, Y);
      break;
    }
    case 3: {  // the kind strip or the colour strip, just past their ends included
      const bool kinds = in.ConsumeBool();
      const int place = in.ConsumeIntegralInRange(-1, kinds ? 20 : 28);
      const int left = kinds ? editor.scene.KindStripLeft : editor.scene.ColorStripLeft;
      const int X = left + 20 * place + in.ConsumeIntegralInRange(0, 19);
      editor.MouseDOwn(button, X, in.ConsumeIntegralInRange(0, 29));
      break;
    }
    case 4: {
      const fs::path file = YearFile(in.ConsumeIntegralInRange(0, EpochYears - 1));
      fuzz::WriteFile(file, GenerateTurnText(in));
      break;
    }
    case 5: {  // the year field: typed, set by the program, or stepped by a key
      const int how = in.ConsumeIntegralInRange(0, 2);
      const int year = in.ConsumeIntegralInRange(-2, EpochYears + 1);
      if (how == 0)
        s.ui.TypeYear(year);
      else if (how == 1)
        s.ui.SetYearFieldValue(year);
      else
        s.ui.Run([&] { editor.FormKeyUp(); });
      // A change of the year field sets Year before it looks for the year's file.
      std::get<0>(*before).Year = s.ui.yearField;
      break;
    }
    case 6:
      fuzz::WriteFile(dir / "chosen.tvk", GenerateTurnText(in));
      s.Run([&](editor::Editor& e) { e.OpenTurn(dir / "chosen.tvk"); });
      break;
    case 7:
      s.ui.upDownPosition = in.ConsumeIntegralInRange(0, 30);
      editor.UpDown1Click();
      break;
    case 8:
      s.ui.yearField = in.ConsumeIntegralInRange(0, 1000);
      editor.World.Year = s.ui.yearField;  // as "Сохранить ход" takes it
      s.Run([&](editor::Editor& e) { e.SaveTurn(dir / "saved.tvk"); });
      FUZZ_CHECK(s.ui.errors.empty());
      fuzz::CheckTurnRoundTrip(editor.World, editor.PlayerCount);
      break;
    case 9: {  // a map picture of another size, or bytes that may be none
      const fs::path file = dir / "other-map.bmp";
      if (in.ConsumeBool()) {
        const int width = in.ConsumeIntegralInRange(1, 500);
        fuzz::PatternPicture(width, in.ConsumeIntegralInRange(1, 400)).SaveBmp(file);
      } else {
        fuzz::WriteFile(file, in.ConsumeRandomLengthString(200));
      }
      s.Run([&](editor::Editor& e) { e.LoadMap(file); });
      break;
    }
    case 10: {  // scrolling, then painting
      const int columns = in.ConsumeIntegralInRange(-4, 4);
      editor.ScrollByCells(columns, in.ConsumeIntegralInRange(-4, 4));
      in.ConsumeBool() ? editor.FormPaint() : editor.RepaintWindow();
      break;
    }
    case 11: {
      const bool couldUndo = editor.CanUndo(), wasHolding = editor.edit.Holding;
      editor.Undo();
      FUZZ_CHECK(!couldUndo || !editor.edit.Holding);
      FUZZ_CHECK(couldUndo || editor.edit.Holding == wasHolding);
      break;
    }
    case 12:
      editor.Redo();
      break;
    case 14: {  // the window resized, smaller or larger than its design
      const int width = in.ConsumeIntegralInRange(0, 2600), height = in.ConsumeIntegralInRange(0, 1500);
      editor.ResizeWindow(width, height, width + in.ConsumeIntegralInRange(0, 20), height + in.ConsumeIntegralInRange(0, 60));
      break;
    }
    case 15: {  // a click in the overview
      const int px = in.ConsumeIntegralInRange(-100, 2400);
      editor.CentreViewOn(px, in.ConsumeIntegralInRange(-100, 1700));
      break;
    }
    case 16: {  // the overview, made the fast way where it can be, must come out as a whole pass
      const int width = in.ConsumeIntegralInRange(1, 500), height = in.ConsumeIntegralInRange(1, 400);
      s.overview.Refresh(editor.scene, width, height);
      const overview::Placement& placed = s.overview.Placed();
      FUZZ_CHECK(s.overview.Picture() == overview::Scaled(editor.scene.ComposedMap, placed.width, placed.height));
      break;
    }
    case 13: {
      const bool hadOpenStep = editor.History.HasOpenStep();
      FUZZ_CHECK(editor.Escape() || !hadOpenStep);
      FUZZ_CHECK(!editor.edit.Holding && !editor.History.HasOpenStep());
      break;
    }
  }
  if (before && !s.ui.errors.empty()) FUZZ_CHECK(State(editor) == *before);
  // The recovery copy, read back, is the turn "Сохранить ход" would write now; none without edits
  // (none of this session's: every input starts with an empty store).
  s.recovery->Update(editor, 0);
  const fs::path copy = s.recovery->Store().CopyPath(editor::RecoveryKeeper::RecordOf(editor, 0).id);
  if (editor.edit.Holding)
    ;  // an edit in progress: the copy follows once the unit is put down
  else if (editor.HasUnsavedEdits())
    FUZZ_CHECK(fuzz::ReadFile(copy) == world::TurnFileText(editor.World, editor.PlayerCount));
  else
    FUZZ_CHECK(!fs::exists(copy));
  s.timeline.Check(editor, action == 12);
  fuzz::CheckWorldLimits(editor.World, editor.PlayerCount);
  FUZZ_CHECK(editor.edit.CurrentPlayer <= world::MaxPlayers && editor.edit.CurrentUnit <= world::MaxUnits);
  FUZZ_CHECK(editor.edit.SelectedKind <= world::KindCount);
  // The view is scrolled by whole cells, never past the map's corner.
  const render::Scene& scene = editor.scene;
  FUZZ_CHECK(scene.OriginX <= scene.ViewLeft && (scene.ViewLeft - scene.OriginX) % 20 == 0);
  FUZZ_CHECK(scene.OriginY <= scene.ViewTop && (scene.ViewTop - scene.OriginY) % 20 == 0);
  FUZZ_CHECK(scene.ViewRight >= editor::Editor::DesignViewRight && scene.ViewBottom >= editor::Editor::DesignViewBottom);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Session session;
  for (int year = 0; year < EpochYears; ++year) fs::remove(YearFile(year));
  session.ui.editor = &session.editor.emplace(session.started);
  session.ui.yearField = 0;
  session.ui.upDownPosition = world::MaxPlayers;
  session.timeline.Restart(*session.editor);
  fs::remove_all(fuzz::ScratchFolder() / "recovery");
  session.recovery.emplace(editor::RecoveryStore(fuzz::ScratchFolder() / "recovery"));
  FuzzedDataProvider in(data, size);
  for (int event = 0; event < 64 && in.remaining_bytes() > 0; ++event) RunEvent(session, in);
  return 0;
}
