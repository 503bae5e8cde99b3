// A whole editing session driven by bytes: mouse presses, moves and releases at window pixels,
// clicks in the kind and colour strips, year changes that load generated turn files of an
// epoch, turn, palette and picture loads, saves and scrolling, on the Editor with a fake
// desktop. After every event the tables keep their limits and the editing state names real
// entries; a failed turn load changes nothing; a mouse event adds or removes at most one
// unit; a saved turn reads back to the same players and a saved picture to the composed map.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <optional>
#include <tuple>
#include <vector>

#include "FakeUi.h"
#include "FuzzSupport.h"
#include "world/TurnFile.h"

namespace {

namespace fs = std::filesystem;
using app::testing::FakeUi;
using Command = void (app::Editor::*)();

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
  std::string text = in.ConsumeBool() ? std::string(world::TurnLegendLine) : in.ConsumeRandomLengthString(8);
  text += "\r\n" + Numbers(in, {{-3, 1003}}) + "\r\nPlayer\r\n";
  const int players = in.ConsumeIntegralInRange(0, 29);
  for (int p = 1; p <= players; ++p) {
    text += in.ConsumeRandomLengthString(20) + "\r\n";
    text += Numbers(in, {{0, 300}, {0, 300}}) + "\r\n";
    const int lines = in.ConsumeIntegralInRange(0, 4);
    for (int l = 0; l < lines; ++l) {
      const size_t letter = in.ConsumeIntegralInRange<size_t>(0, world::KindCount + 3);
      std::string line = letter < world::KindCount ? std::string(1, char(world::UnitLetters[letter + 1]))
                                                    : std::string(others[letter - world::KindCount]);
      line += " ";
      const int units = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 6) : in.ConsumeIntegralInRange(0, 130);
      for (int u = 0; u < units; ++u) line += Numbers(in, {{0, 120}, {0, 80}}) + ",";
      if (in.ConsumeProbability<float>() < 0.1f) line += in.ConsumeRandomLengthString(6);
      text += line + "\r\n";
    }
    text += p == players ? "END\r\n" : "Player\r\n";
  }
  if (in.ConsumeProbability<float>() < 0.1f) text += in.ConsumeRandomLengthString(16);
  return text;
}

std::string GeneratePaletteText(FuzzedDataProvider& in) {
  std::string text;
  const int lines = in.ConsumeIntegralInRange(0, 30);
  for (int l = 0; l < lines; ++l) text += Numbers(in, {{-5, 300}, {0, 255}, {0, 255}}) + "\r\n";
  if (in.ConsumeProbability<float>() < 0.2f) text += in.ConsumeRandomLengthString(8);
  return text;
}

struct Session {
  FakeUi ui;
  app::Editor started{ui};  // as start-up left it; every input starts from a copy
  std::optional<app::Editor> editor;

  Session() {
    ui.editor = &started;
    fuzz::StartEditor(started);
    fuzz::WriteFile(YearFile(0), "");
    ui.dialogAnswers = {YearFile(0)};
    started.N2Click();
    FUZZ_CHECK(started.EpochDir == fuzz::ScratchFolder().string() + "/");
  }

  void Restart() {
    for (int year = 0; year < EpochYears; ++year) fs::remove(YearFile(year));
    ui.editor = &editor.emplace(started);
    ui.dialogAnswers.clear();
    ui.dialogRequests.clear();
    ui.yearField = 0;
    ui.upDownPosition = world::MaxPlayers;
  }

  // A menu command with the dialog confirmed on `file`; returns the errors it showed.
  const std::vector<std::string>& Run(Command command, const fs::path& file) {
    ui.dialogAnswers = {file};
    ui.errors.clear();
    ui.Run([&] { (*editor.*command)(); });
    return ui.errors;
  }

  // A turn load through `load`: a failure must leave the editor as it was, except that a
  // change of the year field sets Year before it looks for the year's file.
  template <typename Load>
  void LoadTurn(bool yearFromField, Load load) {
    auto state = [](const app::Editor& e) {
      return std::tuple(e.World, e.PlayerCount, e.scene.ComposedMap, e.edit.CurrentPlayer,
                        e.edit.CurrentUnit);
    };
    auto expected = state(*editor);
    ui.errors.clear();
    load();
    if (yearFromField) std::get<0>(expected).Year = ui.yearField;
    for (const std::string& error : ui.errors) {
      FUZZ_CHECK(error == "Invalid numeric input" || error.rfind("Too many players", 0) == 0 ||
                 error.rfind("Too many units", 0) == 0);
      FUZZ_CHECK(state(*editor) == expected);
    }
  }
};

int UnitTotal(const app::Editor& editor) {
  int total = 0;
  for (int p = 1; p <= world::MaxPlayers; ++p) total += editor.World.players[p].count;
  return total;
}

app::MouseButton PickButton(FuzzedDataProvider& in) {
  return in.PickValueInArray({app::MouseButton::Left, app::MouseButton::Right, app::MouseButton::Middle});
}

// A window pixel: anywhere (also off the window), or in the middle of a cell near the map.
std::pair<int, int> PickPoint(FuzzedDataProvider& in, const app::Editor& editor) {
  if (in.ConsumeBool()) return {in.ConsumeIntegralInRange(-40, 1200), in.ConsumeIntegralInRange(-40, 900)};
  const int x = in.ConsumeIntegralInRange(-1, 24), y = in.ConsumeIntegralInRange(-1, 18);
  return {editor.scene.OriginX + 20 * x + 30, editor.scene.OriginY + 20 * (y - 1) + 28};
}

void RunEvent(Session& s, FuzzedDataProvider& in) {
  app::Editor& editor = *s.editor;
  FakeUi& ui = s.ui;
  const fs::path& dir = fuzz::ScratchFolder();
  const int unitsBefore = UnitTotal(editor);
  int unitChanges = -1;  // how many units the event may add or remove at most; -1 for any number
  const int action = in.ConsumeIntegralInRange(0, 15);
  switch (action) {
    case 0:  // a press or a release
    case 2: {
      const app::MouseButton button = PickButton(in);
      const auto [X, Y] = PickPoint(in, editor);
      (editor.*(action == 0 ? &app::Editor::MouseDOwn : &app::Editor::Image1MouseUp))(button, X, Y);
      unitChanges = 1;
      break;
    }
    case 1: {
      const auto [X, Y] = PickPoint(in, editor);
      editor.FormMouseMove(X, Y);
      unitChanges = 0;
      break;
    }
    case 3: {  // a drag from one cell to another
      const app::MouseButton button = PickButton(in);
      const auto [fromX, fromY] = PickPoint(in, editor);
      const auto [toX, toY] = PickPoint(in, editor);
      editor.MouseDOwn(button, fromX, fromY);
      editor.FormMouseMove(toX, toY);
      editor.Image1MouseUp(button, toX, toY);
      unitChanges = 2;
      break;
    }
    case 4:  // the kind strip or the colour strip, just past their ends included
    case 5: {
      const int place = in.ConsumeIntegralInRange(-1, action == 4 ? 20 : 28);
      const int left = action == 4 ? editor.scene.KindStripLeft : editor.scene.ColorStripLeft;
      const uint8_t playerBefore = editor.edit.CurrentPlayer;
      const app::MouseButton button = PickButton(in);
      const int X = left + 20 * place + in.ConsumeIntegralInRange(0, 19);
      editor.MouseDOwn(button, X, in.ConsumeIntegralInRange(0, 29));
      unitChanges = 0;
      // Only players in use can be chosen.
      if (editor.edit.CurrentPlayer != playerBefore)
        FUZZ_CHECK(editor.edit.CurrentPlayer >= 1 && editor.edit.CurrentPlayer <= editor.PlayerCount);
      break;
    }
    case 6: {
      const fs::path file = YearFile(in.ConsumeIntegralInRange(0, EpochYears - 1));
      fuzz::WriteFile(file, GenerateTurnText(in));
      break;
    }
    case 7: {  // the year field: typed, set by the program, or stepped by a key
      const int how = in.ConsumeIntegralInRange(0, 2);
      const int year = in.ConsumeIntegralInRange(-2, EpochYears + 1);
      s.LoadTurn(true, [&] {
        if (how == 0)
          ui.TypeYear(year);
        else if (how == 1)
          ui.SetYearFieldValue(year);
        else
          ui.Run([&] { editor.FormKeyUp(); });
      });
      break;
    }
    case 8:
      fuzz::WriteFile(dir / "chosen.tvk", GenerateTurnText(in));
      s.LoadTurn(false, [&] { s.Run(&app::Editor::N8Click, dir / "chosen.tvk"); });
      break;
    case 9:
      ui.upDownPosition = in.ConsumeIntegralInRange(0, 30);
      editor.UpDown1Click();
      break;
    case 10:
      ui.yearField = in.ConsumeIntegralInRange(0, 1000);
      FUZZ_CHECK(s.Run(&app::Editor::N10Click, dir / "saved.tvk").empty());
      FUZZ_CHECK(editor.World.Year == ui.yearField);
      fuzz::CheckTurnRoundTrip(editor.World, editor.PlayerCount);
      break;
    case 11: {
      FUZZ_CHECK(s.Run(&app::Editor::N9Click, dir / "saved.bmp").empty());
      render::Surface saved;
      saved.LoadBmp(dir / "saved.bmp");
      FUZZ_CHECK(saved == editor.scene.ComposedMap);
      break;
    }
    case 12: {
      const int columns = in.ConsumeIntegralInRange(-4, 4);
      editor.ScrollByCells(columns, in.ConsumeIntegralInRange(-4, 4));
      break;
    }
    case 13:
      fuzz::WriteFile(dir / "colours.pal", GeneratePaletteText(in));
      for (const std::string& error : s.Run(&app::Editor::N1Click, dir / "colours.pal"))
        FUZZ_CHECK(error == "Invalid numeric input");
      break;
    case 14: {  // a map picture of another size, or bytes that may be none
      const fs::path file = dir / "other-map.bmp";
      if (in.ConsumeBool()) {
        const int width = in.ConsumeIntegralInRange(1, 500);
        fuzz::PatternPicture(width, in.ConsumeIntegralInRange(1, 400)).SaveBmp(file);
      } else {
        fuzz::WriteFile(file, in.ConsumeRandomLengthString(200));
      }
      const render::Surface before = editor.scene.ComposedMap;
      for (const std::string& error : s.Run(&app::Editor::N7Click, file))
        FUZZ_CHECK(error == "Bitmap image is not valid" && editor.scene.ComposedMap == before);
      break;
    }
    case 15: {
      static constexpr Command paints[] = {&app::Editor::FormPaint, &app::Editor::RepaintWindow,
                                           &app::Editor::FormDblClick};
      (editor.*paints[in.ConsumeIntegralInRange(0, 2)])();
      break;
    }
  }
  if (unitChanges >= 0) FUZZ_CHECK(std::abs(UnitTotal(editor) - unitsBefore) <= unitChanges);
  // Whatever may have failed, the editor stays within its tables.
  fuzz::CheckWorldLimits(editor.World, editor.PlayerCount);
  FUZZ_CHECK(editor.edit.CurrentPlayer <= world::MaxPlayers && editor.edit.CurrentUnit <= world::MaxUnits);
  FUZZ_CHECK(editor.edit.SelectedKind <= world::KindCount);
  FUZZ_CHECK(editor.scene.Window.Width() == 1130 && editor.scene.Window.Height() == 806);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Session session;
  session.Restart();
  FuzzedDataProvider in(data, size);
  for (int event = 0; event < 64 && in.remaining_bytes() > 0; ++event) RunEvent(session, in);
  return 0;
}
