// The Editor on a fake desktop: start-up, the commands and the mouse.

#include <functional>

#include "EditorFixture.h"

namespace editor::testing {
namespace {

TEST_F(EditorTest, StartUpFillsWorldPicturesAndControls) {
  // The icon sheet's pixel (1, 1) is the markers' transparent colour; its width places the colour strip.
  render::Surface sheet = IconStrip(17);
  sheet.SetPixel(1, 1, world::Rgb(1, 2, 3));
  sheet.SaveBmp("osnova.bmp");
  Start();
  EXPECT_EQ(ui.playersField, "27");
  EXPECT_EQ(editor.edit.CurrentPlayer, 1);
  const render::Scene& s = editor.scene;
  EXPECT_TRUE(s.MarkerBitmap.Transparent);
  EXPECT_EQ(s.MarkerBitmap.TransparentColor, world::Rgb(1, 2, 3));
  EXPECT_EQ(s.ColorStripLeft, 281 + 17 * 20 + 80);
  EXPECT_EQ(s.Palette[2], world::Rgb(128, 0, 255)) << "the default palette";
}

TEST_F(EditorTest, StartUpThatStopsEarlyShowsNoStripsOnlyTheWindowColour) {
  // Without the land file, or with a map that is no picture, start-up stops before it places the
  // strips: the window keeps its colour everywhere, also after the player count changes.
  for (const char* broken : {"orv.dat", "map.bmp"}) {
    SCOPED_TRACE(broken);
    if (broken == std::string("orv.dat"))
      fs::remove(broken);
    else
      WriteBytes(broken, "no picture");
    Start();
    ASSERT_EQ(ui.errors.size(), 1u);
    ui.errors.clear();
    ui.SetPlayerCount(5);
    const render::Surface& window = editor.scene.Window;
    ASSERT_EQ(window.Width(), 1130);
    for (int y = 0; y < window.Height(); ++y)
      for (int x = 0; x < window.Width(); ++x)
        ASSERT_EQ(window.PixelAt(x, y), editor.scene.WindowColor) << x << ", " << y;
    SetUp();
  }
}

// Units of every kind spread over a 2400 x 1600 map, more than the view shows, a different
// spread for each year.
std::string SpreadTurn(int year) {
  std::string text = "legend\r\n" + std::to_string(year) + "\r\n";
  for (int p = 1; p <= 3; ++p) {
    text += "Player\r\nP" + std::to_string(p) + "\r\n0 0\r\n";
    for (int k = 1; k <= world::KindCount; ++k) {
      text += std::string(1, char(world::InfoOfKind(k).letter)) + " ";
      for (int i = 0; i < 2; ++i) {
        const int n = (p * 31 + k * 7 + i * 13 + year * 5) % 97;
        text += std::to_string(1 + (n * 37 + year) % 115) + " " + std::to_string(1 + (n * 53 + p) % 78) + ",";
      }
      text += "\r\n";
    }
  }
  return text + "END\r\n";
}

TEST_F(EditorTest, AYearStepComposesTheViewFirstAndTheRestWhenReadAsAllAtOnce) {
  // Two editors in the same world; one has its map finished after every step. Whatever is read
  // of the other's (the view, a scrolled view, edits, undo, colours, a save) is the same.
  PatternMap(2400, 1600).SaveBmp("map.bmp");
  for (int year = 1; year <= 3; ++year) WriteBytes("Год" + std::to_string(year) + ".tvk", SpreadTurn(year));
  WriteBytes("colours.pal", "10 200 30\r\n250 250 0\r\n0 0 90\r\n");
  FakeUi eagerUi;
  Editor eager{eagerUi};
  eagerUi.editor = &eager;
  Start();
  eagerUi.Run([&] { eager.FormCreate(); });
  eager.ResizeWindowSurface(1130, 806);
  // Each step starts with a year, after which only the view is composed, and does what may
  // read or change the rest before both maps are compared whole.
  const auto step = [&](int year, const char* what, const std::function<void(Editor&, FakeUi&)>& action) {
    SCOPED_TRACE(what);
    for (auto [e, u] : {std::pair{&editor, &ui}, std::pair{&eager, &eagerUi}}) {
      u->TypeYear(year);
      if (e == &eager) e->scene.ComposedMap.Finish();
    }
    EXPECT_FALSE(editor.scene.ComposedMap.Composed()) << "the year composed only its view";
    action(editor, ui);
    action(eager, eagerUi);
    EXPECT_TRUE(editor.scene.Window == eager.scene.Window) << "the window";
    EXPECT_TRUE(editor.scene.ComposedMap == eager.scene.ComposedMap) << "the composed map";
  };
  // Window pixels of a cell of `e`'s view.
  const auto X = [](const Editor& e, int x) { return e.scene.OriginX + 20 * x + 30; };
  const auto Y = [](const Editor& e, int y) { return e.scene.OriginY + 20 * (y - 1) + 28; };
  step(1, "scrolled", [](Editor& e, FakeUi&) { e.ScrollByCells(40, 30); });
  step(2, "years 3 and 2 typed before anything else is read", [&](Editor& e, FakeUi& u) {
    for (int year : {3, 2}) {
      u.TypeYear(year);
      if (&e == &eager) e.scene.ComposedMap.Finish();
    }
  });
  step(2, "a unit moved in view", [&](Editor& e, FakeUi&) {
    e.MouseDOwn(MouseButton::Left, X(e, 45), Y(e, 35));
    e.Image1MouseUp(MouseButton::Left, X(e, 47), Y(e, 36));
  });
  step(3, "colours, then every unit in view lifted and put back, and scrolled back", [&](Editor& e, FakeUi&) {
    e.LoadPalette("colours.pal");
    for (int x = 1; x < 110; ++x)
      for (int y = 1; y < 76; ++y) {
        if (X(e, x) >= 1150 || Y(e, y) >= 810 || X(e, x) <= 2 || Y(e, y) <= 30) continue;
        e.MouseDOwn(MouseButton::Left, X(e, x), Y(e, y));
        e.Image1MouseUp(MouseButton::Left, X(e, x), Y(e, y));
      }
    e.ScrollByCells(-40, -30);
  });
  step(1, "the first edit undone, then scrolled", [&](Editor& e, FakeUi&) {
    e.MouseDOwn(MouseButton::Left, X(e, 20), Y(e, 20));
    e.Image1MouseUp(MouseButton::Right, X(e, 20), Y(e, 20));
    e.Undo();
    e.ScrollByCells(10, 10);
  });
  step(2, "saved", [&](Editor& e, FakeUi&) { e.SavePicture(&e == &editor ? "lazy.bmp" : "eager.bmp"); });
  EXPECT_EQ(ReadBytes("lazy.bmp"), ReadBytes("eager.bmp"));
  EXPECT_EQ(ui.errors, eagerUi.errors);
}

TEST_F(EditorTest, EachFileCommandAsksItsOwnQuestionAndACancelChangesNothing) {
  Start();
  ui.yearField = 7;
  const std::pair<void (Editor::*)(), FileDialogRequest> commands[] = {
      {&Editor::N7Click, {"Открыть файл с картой земель", "Карта|*.bmp", std::nullopt}},
      {&Editor::N8Click, {"Открыть файл с записью хода", "Файл хода|*.tvk", std::nullopt}},
      {&Editor::N2Click, {"Открыть эпоху...", "Файл пришествия |*.tvk", "Год0.tvk"}},
      {&Editor::N1Click, {"Загрузить файл с палитрой...", "Файл палитры|*.pal", "palitr.pal"}},
      {&Editor::N9Click, {"Сохранить ход в файл картинки", "Карта|*.bmp|Картинка PNG|*.png", "Год7.bmp"}},
      {&Editor::N10Click, {"Сохранить ход в файл данных", "Файл хода|*.tvk", "Год7.tvk"}},
  };
  for (const auto& [command, expected] : commands) {
    ui.dialogRequests.clear();
    (editor.*command)();
    ASSERT_EQ(ui.dialogRequests.size(), 1u) << expected.title;
    const FileDialogRequest& asked = ui.dialogRequests[0];
    EXPECT_EQ(std::tie(asked.title, asked.filter, asked.proposedName),
              std::tie(expected.title, expected.filter, expected.proposedName));
  }
  EXPECT_EQ(editor.EpochDir, "");
  EXPECT_FALSE(fs::exists("Год7.tvk") || fs::exists("Год7.bmp"));
}

TEST_F(EditorTest, LoadedTurnAndMapPictureAreShownButTheYearFieldStays) {
  Start();
  WriteBytes("turn.tvk", "legend\r\n5\r\nPlayer\r\nA\r\n0 0\r\nPlayer\r\nB\r\n0 0\r\n\xF0 6 3,\r\nEND\r\n");
  ui.dialogAnswers = {dir() / "turn.tvk"};
  ui.Run([&] { editor.N8Click(); });
  EXPECT_EQ(ui.playersField, "2");
  EXPECT_EQ(ui.yearField, 0);
  // Player 2's colour is dark, so the black dot of its knight's icon shows yellow in the window.
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(6), CellY(3)), world::Rgb(255, 255, 0));

  // A map picture replaces only the composed map, and the view goes back to its origin.
  editor.scene.OriginX = -18;
  PatternMap(50, 40).SaveBmp("other.bmp");
  ui.dialogAnswers = {dir() / "other.bmp"};
  ui.Run([&] { editor.N7Click(); });
  EXPECT_EQ(editor.scene.CleanMap.Width(), 400);
  EXPECT_EQ(editor.scene.OriginX, 2);
  EXPECT_EQ(editor.scene.Window.PixelAt(2 + 60, 40), editor.scene.WindowColor);
}

TEST_F(EditorTest, YearFieldLoadsItsYearsFileFromTheEpochFolderOnceOneIsChosen) {
  Start();
  fs::create_directories("epoch");
  WriteBytes("Год3.tvk", TurnFile(3, 2));
  WriteBytes("epoch/Год3.tvk", TurnFile(3, 5));
  WriteBytes("epoch/Год0.tvk", TurnFile(0, 6));
  ui.TypeYear(3);
  EXPECT_EQ(ui.playersField, "2");
  ui.dialogAnswers = {dir() / "epoch/Год0.tvk", dir() / "missing/Год0.tvk"};
  editor.N2Click();
  editor.N2Click();
  EXPECT_EQ(editor.EpochDir, (dir() / "epoch").string() + "/") << "a missing file names no epoch";
  ui.TypeYear(3);
  EXPECT_EQ(editor.PlayerCount, 5);
  // A year without a file keeps the players, while Year already holds the new year.
  ui.TypeYear(4);
  EXPECT_EQ(std::pair(editor.World.Year, int(editor.PlayerCount)), std::pair(4, 5));
  EXPECT_EQ(ui.errors, std::vector<std::string>{});
}

TEST_F(EditorMouseTest, PressTakesTheSmallestKindThenTheLowestPlayerInUse) {
  Start();
  editor.PlayerCount = 4;
  Give(1, {{5, 5, 11}});  // a fortress
  Give(3, {{5, 5, 5}});   // a knight
  Give(6, {{5, 5, 1}});   // beyond the 4 players in use
  Give(2, {{7, 7, 8}});   // dragons of players 2 and 4 on one cell
  Give(4, {{7, 7, 8}});
  Press(5, 5);
  EXPECT_EQ(editor.edit.CurrentPlayer, 3);
  EXPECT_EQ(Player(3).units[1], (world::TUnit{0, 0, 5})) << "lifted from its cell";
  EXPECT_EQ(editor.scene.Window.PixelAt(38, 10), editor.scene.Palette[3]) << "the preview shows the knight";
  Release(5, 5);
  Press(7, 7);
  EXPECT_EQ(editor.edit.CurrentPlayer, 2);
  Release(7, 7);

  // The player count control repaints the colour strip; player 6 is then in use.
  ui.SetPlayerCount(8);
  EXPECT_EQ(ui.playersField, "8");
  EXPECT_EQ(editor.scene.Window.PixelAt(661 + 7 * 20 + 10, 10), editor.scene.Palette[8]);
  Press(5, 5);
  EXPECT_EQ(editor.edit.CurrentPlayer, 6);
}

TEST_F(EditorMouseTest, ReleaseInTheMapMovesOrWithAnotherButtonDeletesAndElsewhereKeepsTheUnitInHand) {
  Start();
  Give(1, {{3, 3, 1}, {4, 4, 2}, {5, 5, 3}});
  Press(3, 3);
  editor.Image1MouseUp(MouseButton::Left, 300, 25);  // above the map
  EXPECT_TRUE(editor.edit.Holding);
  Release(9, 6);
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(Player(1).units[1], (world::TUnit{9, 6, 1}));
  EXPECT_FALSE(Marked(3, 3));
  EXPECT_TRUE(Marked(9, 6));
  Release(8, 8);  // while idle: nothing
  EXPECT_EQ(Player(1).units[1], (world::TUnit{9, 6, 1}));
  // The last unit takes the deleted one's index.
  Press(9, 6);
  Release(9, 6, MouseButton::Middle);
  ASSERT_EQ(Player(1).count, 2);
  EXPECT_EQ(Player(1).units[1], (world::TUnit{5, 5, 3}));
}

TEST_F(EditorMouseTest, StripsChooseKindAndPlayerThenAPressPlacesWhereTheTableHasRoom) {
  Start();
  ChooseKind(12);  // a city
  ChoosePlayer(3, 25);  // in the band below the strip
  Press(10, 10);
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(Player(3).units[1], (world::TUnit{10, 10, 12}));
  EXPECT_EQ(editor.scene.ComposedMap.PixelAt(20 * 10 + 28, 20 * 9 + 26), editor.scene.Palette[3]);
  EXPECT_EQ(editor.edit.SelectedKind, 12) << "the kind stays chosen";

  // A full unit table takes no more units.
  for (int i = 0; i < world::MaxUnits; ++i) Give(1, {{1, 1, 1}});
  ChoosePlayer(1);
  Press(9, 9);
  EXPECT_EQ(Player(1).count, world::MaxUnits);
}

TEST_F(EditorMouseTest, UnsavedEditsAreTheUnitsAndPlayersASaveWouldChangeNotTheYear) {
  WriteBytes(u8"Год3.tvk", TurnFile(3, 4));
  Start();
  EXPECT_FALSE(editor.HasUnsavedEdits()) << "right after start-up";
  Give(1, {{3, 3, 1}});
  EXPECT_TRUE(editor.HasUnsavedEdits()) << "a unit more than at start-up";
  editor.OpenTurn(fs::path(u8"Год3.tvk"));
  EXPECT_FALSE(editor.HasUnsavedEdits()) << "a turn just read is as saved";

  // An addition, undone: as read; redone: unsaved again.
  ui.TypeYear(9);  // a year without a file changes the year alone
  EXPECT_FALSE(editor.HasUnsavedEdits());
  ChooseKind(5);
  Press(6, 6);
  EXPECT_TRUE(editor.HasUnsavedEdits()) << "after an addition";
  editor.Undo();
  EXPECT_FALSE(editor.HasUnsavedEdits()) << "undone to the turn as read";
  editor.Redo();
  EXPECT_TRUE(editor.HasUnsavedEdits());

  // Saved: nothing unsaved, until the number of players changes what a save writes.
  editor.SaveTurn(u8"Год9.tvk");
  EXPECT_FALSE(editor.HasUnsavedEdits()) << "after a save";
  ui.SetPlayerCount(3);
  EXPECT_TRUE(editor.HasUnsavedEdits()) << "fewer players";
}

TEST_F(EditorMouseTest, EditsOnAScrolledMapStayInsideTheViewAndScrollingStopsAtThePicturesEdges) {
  PatternMap(2260, 1560).SaveBmp("map.bmp");
  Start();
  editor.ScrollByCells(0, 5);
  // Row 5 straddles the view's top edge: neither the lifted cell nor the marker reach above it.
  Give(1, {{3, 5, 1}});
  Press(3, 5);
  Release(3, 5);
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(3) - 2, 29), editor.scene.WindowColor);
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(3) - 2, 40), editor.scene.Palette[1]);

  // The window shows 1128 by 776 pixels of the view: 57 columns and 40 rows more are hidden.
  editor.ScrollByCells(1000, 1000);
  EXPECT_EQ(std::pair(editor.scene.OriginX, editor.scene.OriginY), std::pair(2 - 20 * 57, 30 - 20 * 40));
  editor.ScrollByCells(-1000, -1000);
  EXPECT_EQ(std::pair(editor.scene.OriginX, editor.scene.OriginY), std::pair(2, 30));
}

}  // namespace
}  // namespace editor::testing
