#pragma once
// An editor started in a temporary folder holding small start-up files made here.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "FakeUi.h"
#include "app/Editor.h"
#include "render/Surface.h"

namespace app::testing {

namespace fs = std::filesystem;

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Two lands: 'A' (cp1251 "Северия", income 15) on row 1 columns 1..10, 'B' ("Южная", -3) on row 2
// columns 1..5; a gold deposit at (2, 1), a dragon deposit at (1, 2).
inline const std::string kLandFile =
    "Tirmagor\r\n\r\n2\r\n\r\nAAAAAAAAAA\r\nBBBBB\r\n"
    "1 \r\n2 2 1,\r\n3 \r\n4 1 2,\r\nlands\r\n"
    "A\r\n\xD1\xE5\xE2\xE5\xF0\xE8\xFF\r\n15\r\n"
    "B\r\n\xDE\xE6\xED\xE0\xFF\r\n-3\r\n";

// A map picture whose every pixel differs from its neighbours, so copies can be checked exactly.
inline render::Surface PatternMap(int width, int height) {
  render::Surface map;
  map.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) map.SetPixel(x, y, world::Rgb(200 + x % 50, 150 + y % 100, (x + y) % 256));
  return map;
}

// White sheets of `icons` squares with one black pixel at (10, 10) of each square.
inline render::Surface IconStrip(int icons) {
  render::Surface sheet;
  sheet.SetSize(icons * 20, 20);
  sheet.Fill(render::White);
  for (int k = 0; k < icons; ++k) sheet.SetPixel(k * 20 + 10, 10, render::Black);
  return sheet;
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousDir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("tirmagor-editor-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    WriteStartupFiles(400, 300);
    ui.editor = &editor;
  }
  void TearDown() override {
    fs::current_path(previousDir_);
    fs::remove_all(dir_);
  }

  void WriteStartupFiles(int mapWidth, int mapHeight) {
    WriteBytes("orv.dat", kLandFile);
    PatternMap(mapWidth, mapHeight).SaveBmp("map.bmp");
    IconStrip(15).SaveBmp("osnova.bmp");
    IconStrip(4).SaveBmp("rudnici.bmp");
  }

  // Start-up as the window runs it, with a client area of the usual size.
  void Start() {
    ui.Run([&] { editor.FormCreate(); });
    editor.ResizeWindowSurface(1130, 806);
  }

  // The window pixel at the middle of a cell, with the current view origin.
  int CellX(int x) const { return editor.scene.OriginX + 20 * x + 20 + 10; }
  int CellY(int y) const { return editor.scene.OriginY + 20 * (y - 1) + 18 + 10; }

  void Press(int x, int y, MouseButton b = MouseButton::Left) { editor.MouseDOwn(b, CellX(x), CellY(y)); }
  void Release(int x, int y, MouseButton b = MouseButton::Left) { editor.Image1MouseUp(b, CellX(x), CellY(y)); }

  const fs::path& dir() const { return dir_; }

  FakeUi ui;
  Editor editor{ui};

 private:
  fs::path previousDir_;
  fs::path dir_;
};

}  // namespace app::testing
