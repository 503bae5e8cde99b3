// The editor at its design size on the demo world paints and saves exactly what it did when
// these fingerprints were taken: features added later must leave every pixel and byte alone.
// A fingerprint that changes on purpose is taken anew from the failure message.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "DemoWorld.h"
#include "Fingerprint.h"
#include "ScratchFolder.h"
#include "editor/Editor.h"
#include "editor/HeadlessUi.h"
#include "world/TurnFile.h"

namespace {

namespace fs = std::filesystem;
using test_support::Fingerprint;
using test_support::Hex;

uint64_t FileFingerprint(const fs::path& path) {
  const std::string bytes = test_support::ReadBytes(path);
  return bytes.empty() ? 0 : Fingerprint(bytes.data(), bytes.size());
}

TEST(DesignPainting, DemoYearAtTheDesignSizePaintsAndSavesAsBefore) {
  const test_support::ScratchFolder folder;
  const fs::path& scratch = folder.path();
  demo::WriteDemoWorld(scratch / "world");

  editor::HeadlessUi ui;
  editor::Editor editor(ui);
  editor.StartupDir = scratch / "world";
  editor.FormCreate();
  editor.ResizeWindowSurface(1130, 806);  // the client area at the window's design size
  editor.EpochDir = (scratch / "world").string() + "/";
  ui.year = 7;
  editor.SpinEdit1Change();
  ASSERT_EQ(editor.World.Year, 7);
  const uint64_t window = Fingerprint(editor.scene.Window);
  const uint64_t map = Fingerprint(editor.scene.ComposedMap);

  // Scrolled, with the mouse over a cell and a unit moved.
  editor.ScrollByCells(5, 3);
  editor.FormMouseMove(400, 300);
  const world::TUnit first = editor.World.players[1].units[1];
  const int X = editor.scene.OriginX + first.x * 20 + 30, Y = editor.scene.OriginY + (first.y - 1) * 20 + 28;
  editor.MouseDOwn(editor::MouseButton::Left, X, Y);
  editor.Image1MouseUp(editor::MouseButton::Left, X + 40, Y + 20);
  const uint64_t edited = Fingerprint(editor.scene.Window);
  world::WriteTurnFile(editor.World, editor.PlayerCount, scratch / "saved.tvk");
  editor.scene.ComposedMap.SaveBmp(scratch / "saved.bmp");
  const uint64_t turnFile = FileFingerprint(scratch / "saved.tvk");
  const uint64_t picture = FileFingerprint(scratch / "saved.bmp");

  EXPECT_EQ(Hex(window), "0xd22b6f53a7b786bb") << "the window after the year's turn";
  EXPECT_EQ(Hex(map), "0xccba78983f4ae499") << "the composed map";
  EXPECT_EQ(Hex(edited), "0xc66ae88265f887a0") << "the window scrolled and edited";
  EXPECT_EQ(Hex(turnFile), "0x756053bd63d5af5d") << "the saved turn";
  EXPECT_EQ(Hex(picture), "0xc735da9d3ca8616d") << "the saved picture";
}

}  // namespace
