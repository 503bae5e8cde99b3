// A whole editing session driven by bytes: mouse presses, moves and releases at window pixels,
// clicks in the kind and colour strips, year changes that load generated turn files of an
// epoch, turn, palette and picture loads, saves and scrolling, on the Editor with a fake
// desktop. After every event the tables keep their limits and the editing state names real
// entries; a failed turn load changes nothing; a mouse event adds or removes at most one
// unit; a saved turn reads back to the same players and a saved picture to the composed map.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FakeUi.h"
#include "FuzzSupport.h"
#include "app/Editor.h"
#include "render/Surface.h"
#include "world/FileError.h"
#include "world/Palette.h"
#include "world/TurnFile.h"

namespace {

namespace fs = std::filesystem;
using app::testing::FakeUi;

constexpr int EpochYears = 8;  // year files Год0.tvk .. Год7.tvk

// Two lands on the top rows and a few cell mines.
const char* const LandFileText =
    "Tirmagor\r\n\r\n2\r\n\r\nAAAAAAAAAABBBB\r\nBBBBBAAAAA\r\n"
    "1 3 1,\r\n2 2 1,4 2,\r\n3 \r\n4 1 2,\r\nlands\r\n"
    "A\r\n\xD1\xE5\xE2\xE5\xF0\xE8\xFF\r\n15\r\nB\r\n\xDE\xE6\xED\xE0\xFF\r\n-3\r\n";

fs::path YearFile(int year) { return fs::path(fuzz::ScratchFolder()) / ("Год" + std::to_string(year) + ".tvk"); }

// A turn file made mostly of the format's own parts, so that most of them read.
std::string GenerateTurnText(FuzzedDataProvider& in) {
  static const std::vector<std::string> letters = [] {
    std::vector<std::string> all;
    for (int k = 1; k <= world::KindCount; ++k) all.emplace_back(1, char(world::UnitLetters[k]));
    for (const char* other : {"\xD1", "x", " ", ""}) all.emplace_back(other);
    return all;
  }();
  std::string text = in.ConsumeBool() ? std::string(world::TurnLegendLine) : in.ConsumeRandomLengthString(8);
  text += "\r\n" + std::to_string(in.ConsumeIntegralInRange<int>(-3, 1003)) + "\r\nPlayer\r\n";
  const int players = in.ConsumeIntegralInRange(0, 29);
  for (int p = 1; p <= players; ++p) {
    text += in.ConsumeRandomLengthString(20) + "\r\n";
    text += std::to_string(in.ConsumeIntegralInRange(0, 300)) + " " + std::to_string(in.ConsumeIntegralInRange(0, 300)) + "\r\n";
    const int lines = in.ConsumeIntegralInRange(0, 4);
    for (int l = 0; l < lines; ++l) {
      std::string line = letters[in.ConsumeIntegralInRange<size_t>(0, letters.size() - 1)] + " ";
      const int units = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 6) : in.ConsumeIntegralInRange(0, 130);
      for (int u = 0; u < units; ++u)
        line += std::to_string(in.ConsumeIntegralInRange(0, 120)) + " " + std::to_string(in.ConsumeIntegralInRange(0, 80)) + ",";
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
  for (int l = 0; l < lines; ++l)
    text += std::to_string(in.ConsumeIntegralInRange(-5, 300)) + " " + std::to_string(in.ConsumeIntegral<uint8_t>()) + " " +
            std::to_string(in.ConsumeIntegral<uint8_t>()) + "\r\n";
  if (in.ConsumeProbability<float>() < 0.2f) text += in.ConsumeRandomLengthString(8);
  return text;
}

struct Session {
  FakeUi ui;
  app::Editor editor{ui};
  // The editor as start-up left it; every input starts from here.
  world::TMap World;
  uint8_t PlayerCount = 0;
  uint8_t LandCount = 0;
  render::Scene scene;
  render::EditingState edit;
  std::string EpochDir;

  Session() {
    const fs::path& dir = fuzz::ScratchFolder();
    fuzz::WriteFile(dir / "orv.dat", LandFileText);
    fuzz::PatternPicture(400, 300).SaveBmp(dir / "map.bmp");
    fuzz::IconSheetPicture(15).SaveBmp(dir / "osnova.bmp");
    fuzz::IconSheetPicture(4).SaveBmp(dir / "rudnici.bmp");
    ui.editor = &editor;
    editor.StartupDir = dir;
    editor.FormCreate();
    editor.ResizeWindowSurface(1130, 806);
    fuzz::WriteFile(YearFile(0), "");
    ui.dialogAnswers = {YearFile(0)};
    editor.N2Click();
    FUZZ_CHECK(editor.EpochDir == dir.string() + "/");
    World = editor.World;
    PlayerCount = editor.PlayerCount;
    LandCount = editor.LandCount;
    scene = editor.scene;
    edit = editor.edit;
    EpochDir = editor.EpochDir;
  }

  void Restart() {
    editor.World = World;
    editor.PlayerCount = PlayerCount;
    editor.LandCount = LandCount;
    editor.scene = scene;
    editor.edit = edit;
    editor.EpochDir = EpochDir;
    ui.dialogAnswers.clear();
    ui.dialogRequests.clear();
    ui.errors.clear();
    ui.yearField = 0;
    ui.upDownPosition = world::MaxPlayers;
    ui.playersField = std::to_string(world::MaxPlayers);
    for (int year = 0; year < EpochYears; ++year) fs::remove(YearFile(year));
  }
};

int UnitTotal(const app::Editor& editor) {
  int total = 0;
  for (int p = 1; p <= world::MaxPlayers; ++p) total += editor.World.players[p].count;
  return total;
}

// Whatever may have failed, the editor stays within its tables.
void CheckEditor(const app::Editor& editor) {
  fuzz::CheckWorldLimits(editor.World, editor.PlayerCount);
  FUZZ_CHECK(editor.edit.CurrentPlayer <= world::MaxPlayers);
  FUZZ_CHECK(editor.edit.CurrentUnit <= world::MaxUnits);
  FUZZ_CHECK(editor.edit.SelectedKind <= world::KindCount);
  FUZZ_CHECK(editor.scene.Window.Width() == 1130 && editor.scene.Window.Height() == 806);
}

// The errors a turn load may give; anything else from a good file in a good folder is a fault.
bool IsTurnContentError(const std::string& text) {
  return text == "Invalid numeric input" || text.rfind("Too many players", 0) == 0 ||
         text.rfind("Too many units", 0) == 0;
}

struct Snapshot {
  world::TMap World;
  uint8_t PlayerCount;
  render::Surface ComposedMap;
  uint8_t CurrentPlayer, CurrentUnit;
  explicit Snapshot(const app::Editor& e)
      : World(e.World), PlayerCount(e.PlayerCount), ComposedMap(e.scene.ComposedMap),
        CurrentPlayer(e.edit.CurrentPlayer), CurrentUnit(e.edit.CurrentUnit) {}
  bool Same(const app::Editor& e) const {
    return e.World == World && e.PlayerCount == PlayerCount && e.scene.ComposedMap == ComposedMap &&
           e.edit.CurrentPlayer == CurrentPlayer && e.edit.CurrentUnit == CurrentUnit;
  }
};

// A turn load through `load`: a failure must leave the editor as it was, except that a change
// of the year field sets Year before it looks for the year's file.
template <typename Load>
void LoadTurn(Session& s, bool yearFromField, Load load) {
  Snapshot expected(s.editor);
  s.ui.errors.clear();
  load();
  for (const std::string& error : s.ui.errors) FUZZ_CHECK(IsTurnContentError(error));
  if (yearFromField) expected.World.Year = s.ui.yearField;
  if (!s.ui.errors.empty()) FUZZ_CHECK(expected.Same(s.editor));
}

app::MouseButton PickButton(FuzzedDataProvider& in) {
  return in.PickValueInArray({app::MouseButton::Left, app::MouseButton::Right, app::MouseButton::Middle});
}

// A window pixel: anywhere (also off the window), or in the middle of a cell near the map.
std::pair<int, int> PickPoint(FuzzedDataProvider& in, const app::Editor& editor) {
  if (in.ConsumeBool())
    return {in.ConsumeIntegralInRange(-40, 1200), in.ConsumeIntegralInRange(-40, 900)};
  const int x = in.ConsumeIntegralInRange(-1, 24), y = in.ConsumeIntegralInRange(-1, 18);
  return {editor.scene.OriginX + 20 * x + 30, editor.scene.OriginY + 20 * (y - 1) + 28};
}

void RunEvent(Session& s, FuzzedDataProvider& in) {
  app::Editor& editor = s.editor;
  FakeUi& ui = s.ui;
  const fs::path& dir = fuzz::ScratchFolder();
  const int unitsBefore = UnitTotal(editor);
  bool mouse = false;
  switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0: {
      const app::MouseButton button = PickButton(in);
      const auto [X, Y] = PickPoint(in, editor);
      editor.MouseDOwn(button, X, Y);
      mouse = true;
      break;
    }
    case 1: {
      const auto [X, Y] = PickPoint(in, editor);
      editor.FormMouseMove(X, Y);
      FUZZ_CHECK(UnitTotal(editor) == unitsBefore);
      break;
    }
    case 2: {
      const app::MouseButton button = PickButton(in);
      const auto [X, Y] = PickPoint(in, editor);
      editor.Image1MouseUp(button, X, Y);
      mouse = true;
      break;
    }
    case 3: {  // a drag from one cell to another
      const app::MouseButton button = PickButton(in);
      const auto [fromX, fromY] = PickPoint(in, editor);
      const auto [toX, toY] = PickPoint(in, editor);
      editor.MouseDOwn(button, fromX, fromY);
      editor.FormMouseMove(toX, toY);
      editor.Image1MouseUp(button, toX, toY);
      FUZZ_CHECK(UnitTotal(editor) - unitsBefore >= -2 && UnitTotal(editor) - unitsBefore <= 2);
      break;
    }
    case 4: {  // the kind strip, just past its ends included
      const int place = in.ConsumeIntegralInRange(-1, 20);
      editor.MouseDOwn(PickButton(in), editor.scene.KindStripLeft + 20 * place + in.ConsumeIntegralInRange(0, 19),
                       in.ConsumeIntegralInRange(0, 29));
      FUZZ_CHECK(UnitTotal(editor) == unitsBefore);
      break;
    }
    case 5: {  // the colour strip
      const int place = in.ConsumeIntegralInRange(-1, 28);
      const uint8_t playerBefore = editor.edit.CurrentPlayer;
      editor.MouseDOwn(PickButton(in), editor.scene.ColorStripLeft + 20 * place + in.ConsumeIntegralInRange(0, 19),
                       in.ConsumeIntegralInRange(0, 29));
      FUZZ_CHECK(UnitTotal(editor) == unitsBefore);
      // Only players in use can be chosen.
      if (editor.edit.CurrentPlayer != playerBefore)
        FUZZ_CHECK(editor.edit.CurrentPlayer >= 1 && editor.edit.CurrentPlayer <= editor.PlayerCount);
      break;
    }
    case 6:
      fuzz::WriteFile(YearFile(in.ConsumeIntegralInRange(0, EpochYears - 1)), GenerateTurnText(in));
      break;
    case 7: {  // the year field: typed, set by the program, or stepped by a key
      const int how = in.ConsumeIntegralInRange(0, 2);
      const int year = in.ConsumeIntegralInRange(-2, EpochYears + 1);
      LoadTurn(s, true, [&] {
        if (how == 0) ui.TypeYear(year);
        else if (how == 1) ui.SetYearFieldValue(year);
        else ui.Run([&] { editor.FormKeyUp(); });
      });
      break;
    }
    case 8: {
      const fs::path file = dir / "chosen.tvk";
      fuzz::WriteFile(file, GenerateTurnText(in));
      ui.dialogAnswers = {file};
      LoadTurn(s, false, [&] { ui.Run([&] { editor.N8Click(); }); });
      break;
    }
    case 9:
      ui.upDownPosition = in.ConsumeIntegralInRange(0, 30);
      editor.UpDown1Click();
      break;
    case 10: {
      ui.yearField = in.ConsumeIntegralInRange(0, 1000);
      ui.dialogAnswers = {dir / "saved.tvk"};
      ui.errors.clear();
      ui.Run([&] { editor.N10Click(); });
      FUZZ_CHECK(ui.errors.empty());
      FUZZ_CHECK(editor.World.Year == ui.yearField);
      fuzz::CheckTurnRoundTrip(editor.World, editor.PlayerCount);
      break;
    }
    case 11: {
      ui.dialogAnswers = {dir / "saved.bmp"};
      ui.errors.clear();
      ui.Run([&] { editor.N9Click(); });
      FUZZ_CHECK(ui.errors.empty());
      render::Surface saved;
      saved.LoadBmp(dir / "saved.bmp");
      FUZZ_CHECK(saved == editor.scene.ComposedMap);
      break;
    }
    case 12:
      editor.ScrollByCells(in.ConsumeIntegralInRange(-4, 4), in.ConsumeIntegralInRange(-4, 4));
      break;
    case 13: {
      const fs::path file = dir / "colours.pal";
      fuzz::WriteFile(file, GeneratePaletteText(in));
      ui.dialogAnswers = {file};
      ui.errors.clear();
      ui.Run([&] { editor.N1Click(); });
      for (const std::string& error : ui.errors) FUZZ_CHECK(error == "Invalid numeric input");
      break;
    }
    case 14: {  // a map picture of another size, or bytes that may be none
      const fs::path file = dir / "other-map.bmp";
      if (in.ConsumeBool())
        fuzz::PatternPicture(in.ConsumeIntegralInRange(1, 500), in.ConsumeIntegralInRange(1, 400)).SaveBmp(file);
      else
        fuzz::WriteFile(file, in.ConsumeRandomLengthString(200));
      ui.dialogAnswers = {file};
      const render::Surface before = editor.scene.ComposedMap;
      ui.errors.clear();
      ui.Run([&] { editor.N7Click(); });
      for (const std::string& error : ui.errors) FUZZ_CHECK(error == "Bitmap image is not valid");
      if (!ui.errors.empty()) FUZZ_CHECK(editor.scene.ComposedMap == before);
      break;
    }
    case 15:
      switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: editor.FormPaint(); break;
        case 1: editor.RepaintWindow(); break;
        default: editor.FormDblClick(); break;
      }
      break;
  }
  if (mouse) FUZZ_CHECK(UnitTotal(editor) - unitsBefore >= -1 && UnitTotal(editor) - unitsBefore <= 1);
  CheckEditor(editor);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Session session;
  session.Restart();
  FuzzedDataProvider in(data, size);
  for (int event = 0; event < 64 && in.remaining_bytes() > 0; ++event) RunEvent(session, in);
  return 0;
}
