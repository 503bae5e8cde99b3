#pragma once
// Small start-up files made here, and an editor started on them in a scratch folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FakeUi.h"
#include "ScratchFolder.h"
#include "render/Surface.h"

namespace editor::testing {

namespace fs = std::filesystem;

using test_support::ReadBytes;
using test_support::WriteBytes;

// Two lands: 'A' (cp1251 "Северия", income 15) on row 1 columns 1..10, 'B' ("Южная", -3) on row 2
// columns 1..5; a gold deposit at (2, 1), a dragon deposit at (1, 2).
inline const std::string kLandFile =
    "Tirmagor\r\n\r\n2\r\n\r\nAAAAAAAAAA\r\nBBBBB\r\n"
    "1 \r\n2 2 1,\r\n3 \r\n4 1 2,\r\nlands\r\n"
    "A\r\n\xD1\xE5\xE2\xE5\xF0\xE8\xFF\r\n15\r\n"
    "B\r\n\xDE\xE6\xED\xE0\xFF\r\n-3\r\n";

// A turn file of `players` players without units.
inline std::string TurnFile(int year, int players) {
  std::string text = "legend\r\n" + std::to_string(year) + "\r\n";
  for (int p = 1; p <= players; ++p) text += "Player\r\nP" + std::to_string(p) + "\r\n0 0\r\n";
  return text + "END\r\n";
}

// A picture whose every pixel differs from its neighbours, so copies can be checked exactly.
inline render::Surface PatternMap(int width, int height) {
  render::Surface map;
  map.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) map.SetPixel(x, y, world::Rgb(200 + x % 50, 150 + y % 100, (x + y) % 256));
  return map;
}

// A white sheet of `icons` squares with one black pixel at (10, 10) of each square.
inline render::Surface IconStrip(int icons) {
  render::Surface sheet;
  sheet.SetSize(icons * 20, 20);
  sheet.Fill(render::White);
  for (int k = 0; k < icons; ++k) sheet.SetPixel(k * 20 + 10, 10, render::Black);
  return sheet;
}

// Each test works in a folder of its own holding the start-up files of a 400 by 300 map.
class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::current_path(dir());
    WriteBytes("orv.dat", kLandFile);
    PatternMap(400, 300).SaveBmp("map.bmp");
    IconStrip(15).SaveBmp("osnova.bmp");
    IconStrip(4).SaveBmp("rudnici.bmp");
    PatternMap(120, 80).SaveBmp(u8"Рифленка.bmp");
  }
  void TearDown() override { fs::current_path(previousDir_); }
  const fs::path& dir() const { return folder_.path(); }

 private:
  fs::path previousDir_ = fs::current_path();
  test_support::ScratchFolder folder_;
};

class EditorTest : public ScratchFolderTest {
 protected:
  EditorTest() { ui.editor = &editor; }

  // Start-up as the window runs it, with a client area of the usual size.
  void Start() {
    ui.Run([&] { editor.FormCreate(); });
    editor.ResizeWindowSurface(1130, 806);
  }

  // The window pixel at the middle of a cell, with the current view origin.
  int CellX(int x) const { return editor.scene.OriginX + 20 * x + 30; }
  int CellY(int y) const { return editor.scene.OriginY + 20 * (y - 1) + 28; }
  void Press(int x, int y, MouseButton b = MouseButton::Left) { editor.MouseDOwn(b, CellX(x), CellY(y)); }
  void Release(int x, int y, MouseButton b = MouseButton::Left) { editor.Image1MouseUp(b, CellX(x), CellY(y)); }

  FakeUi ui;
  Editor editor{ui};
};

class EditorMouseTest : public EditorTest {
 protected:
  world::TPlayer& Player(int p) { return editor.World.players[p]; }
  void Give(int p, std::initializer_list<world::TUnit> units) {
    for (const world::TUnit& u : units) Player(p).units[++Player(p).count] = u;
  }
  // Whether the composed map shows a marker in the middle of the cell.
  bool Marked(int x, int y) const {
    const int px = 20 * x + 30, py = 20 * (y - 1) + 28;
    return editor.scene.ComposedMap.PixelAt(px, py) != editor.scene.CleanMap.PixelAt(px, py);
  }
  // A click in the kind strip (`kind` 1..19) or the colour strip (`player` from 1).
  void ChooseKind(int kind) { editor.MouseDOwn(MouseButton::Left, 281 + 20 * kind - 15, 10); }
  void ChoosePlayer(int player, int y = 10) { editor.MouseDOwn(MouseButton::Left, 661 + 20 * player - 15, y); }
  // Start-up and a turn of three players whose units crowd a few cells, so that lifting one
  // uncovers another and markers of several colours overlap.
  void StartWithTurn() {
    ui.errors.clear();
    Start();
    WriteBytes("turn.tvk",
               "legend\r\n4\r\nPlayer\r\nA\r\n0 0\r\n\xCA 5 5,\r\n\xE3 3 3,7 7,\r\n"
               "Player\r\nB\r\n1 2\r\n\xF0 5 5,\r\n\xE4 8 4,\r\n"
               "Player\r\nC\r\n0 0\r\nC 3 3,\r\nEND\r\n");
    ui.dialogAnswers = {dir() / "turn.tvk"};
    ui.Run([&] { editor.N8Click(); });
    ASSERT_EQ(ui.errors, std::vector<std::string>{});
  }
};

}  // namespace editor::testing
