#include "render/Markers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TestScene.h"
#include "render/Geometry.h"
#include "world/FileError.h"

namespace render {
namespace {

using testing::MapGreen;
using testing::StartedScene;

constexpr Color Yellow = 0x00FFFF;
constexpr Color LightRed = 0x0000FF, DarkBlue = 0x800000;

// Icon sheets with a few known pixels: kind 1 has a black dot at (5, 5), kind 2 a coloured one at
// (3, 3), kind 12 a black dot at (10, 9), mine kind 17 a black dot at (3, 4); all else white.
Scene MarkerScene() {
  Scene scene = StartedScene();
  scene.IconSheet.SetPixel(5, 5, Black);
  scene.IconSheet.SetPixel(20 + 3, 3, world::Rgb(0x40, 0x80, 0xC0));
  scene.IconSheet.SetPixel(11 * 20 + 10, 9, Black);
  scene.MineSheet.SetPixel(20 + 3, 4, Black);
  scene.Palette[1] = LightRed;
  scene.Palette[2] = DarkBlue;
  scene.Palette[3] = White;  // the marker's transparent colour
  BuildMaskSheet(scene);
  return scene;
}

struct Placed {
  const Scene& scene;
  MapPixel at;
  Color Map(int x, int y) const { return scene.ComposedMap.PixelAt(at.px + x, at.py + y); }
  Color Window(int x, int y) const {
    return scene.Window.PixelAt(at.px + scene.OriginX + x, at.py + scene.OriginY + y);
  }
};

// Puts a unit of `kind` for `player` at the cell and draws it as the current unit.
Placed DrawUnit(Scene& scene, world::TMap& World, uint8_t player, uint8_t kind, uint8_t x, uint8_t y) {
  world::TPlayer& p = World.players[player];
  p.units[++p.count] = {x, y, kind};
  const EditingState state{false, 0, player, p.count};
  DrawCurrentUnit(scene, World, state, x, y);
  return {scene, CellToPixel(scene, x, y)};
}

TEST(Markers, LightColoursHaveRedOrGreenAbove128) {
  EXPECT_FALSE(IsLightColor(world::Rgb(128, 128, 255)));
  EXPECT_TRUE(IsLightColor(world::Rgb(129, 0, 0)));
  EXPECT_TRUE(IsLightColor(world::Rgb(0, 129, 0)));
  EXPECT_FALSE(IsLightColor(world::Rgb(0, 0, 255)));
}

TEST(Markers, MaskIsYellowWhereTheTroopIconIsBlack) {
  const Scene scene = MarkerScene();
  ASSERT_EQ(scene.MaskSheet.Width(), 200);
  ASSERT_EQ(scene.MaskSheet.Height(), 20);
  EXPECT_EQ(scene.MaskSheet.PixelAt(5, 5), Yellow);
  EXPECT_EQ(scene.MaskSheet.PixelAt(6, 5), Black);
  EXPECT_EQ(scene.MaskSheet.PixelAt(23, 3), world::Rgb(0xBF, 0x7F, 0));
}

TEST(Markers, TroopIconLinesAreBlackOnLightAndYellowOnDarkColours) {
  Scene scene = MarkerScene();
  world::TMap World;
  const Placed light = DrawUnit(scene, World, 1, 1, 3, 4);
  const Placed dark = DrawUnit(scene, World, 2, 1, 5, 4);
  EXPECT_EQ(light.Map(5, 5), Black);
  EXPECT_EQ(dark.Map(5, 5), Yellow);
  EXPECT_EQ(light.Map(10, 10), LightRed);
  EXPECT_EQ(dark.Map(10, 10), DarkBlue);
  EXPECT_EQ(dark.Map(2, 10), Black);  // the circle's outline
  EXPECT_EQ(dark.Map(1, 10), MapGreen);
  EXPECT_EQ(dark.Map(0, 0), MapGreen);
  EXPECT_EQ(dark.Window(5, 5), Yellow);
  EXPECT_EQ(light.Window(0, 0), testing::WindowGrey);

  // A colour equal to the transparent colour leaves only the outline and the icon on the map.
  const Placed vanished = DrawUnit(scene, World, 3, 1, 7, 4);
  EXPECT_EQ(vanished.Map(10, 10), MapGreen);
  EXPECT_EQ(vanished.Map(2, 10), Black);
  EXPECT_EQ(vanished.Map(5, 5), Black);
}

TEST(Markers, BuildingsSitOnABlockAndKeepBlackLinesOnAnyColour) {
  Scene scene = MarkerScene();
  for (uint8_t player : {1, 2}) {
    ComposeMarker(scene, 12, player);
    const Surface& m = scene.MarkerBitmap;
    EXPECT_EQ(m.PixelAt(7, 6), scene.Palette[player]);
    EXPECT_EQ(m.PixelAt(13, 12), scene.Palette[player]);
    EXPECT_EQ(m.PixelAt(10, 9), Black);
    EXPECT_EQ(m.PixelAt(14, 12), White);
    EXPECT_EQ(m.PixelAt(7, 5), White);
  }
  // Kind 11 covers x 7..9, y 10..12; kind 15 x 8..11, y 8..11.
  ComposeMarker(scene, 11, 2);
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(9, 12), DarkBlue);
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(10, 12), White);
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(9, 9), White);
  ComposeMarker(scene, 15, 2);
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(8, 8), DarkBlue);
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(12, 11), White);
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(7, 8), White);
}

TEST(Markers, MineUnitsLookAlikeForEveryPlayer) {
  Scene scene = MarkerScene();
  ComposeMarker(scene, 17, 1);
  const Surface first = scene.MarkerBitmap;
  ComposeMarker(scene, 17, 2);
  EXPECT_EQ(scene.MarkerBitmap, first);
  EXPECT_EQ(first.PixelAt(3, 4), Black);
  EXPECT_EQ(first.PixelAt(10, 10), White);
}

TEST(Markers, KindsAndPlayersOutsideTheTables) {
  Scene scene = MarkerScene();
  EditingState state;
  Lmdraw(scene, state, 0, 2);  // kind 0: the circle without an icon, shown opaque
  EXPECT_TRUE(state.Holding);
  EXPECT_TRUE(scene.MarkerBitmap.Transparent);
  EXPECT_EQ(scene.Window.PixelAt(30 + 5, 5), DarkBlue);
  EXPECT_EQ(scene.Window.PixelAt(30, 0), White);
  EXPECT_EQ(scene.Window.PixelAt(29, 0), testing::WindowGrey);

  ComposeMarker(scene, 20, 1);
  EXPECT_EQ(scene.MarkerBitmap, testing::Filled(20, 20, White));
  ComposeMarker(scene, 1, 0);  // no such player: black
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(10, 10), Black);
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(5, 5), Yellow);

  world::TMap World;
  World.players[1].units[1] = {3, 4, 1};
  const Surface before = scene.ComposedMap;
  for (EditingState outside : {EditingState{false, 0, 0, 1}, EditingState{false, 0, 28, 1},
                               EditingState{false, 0, 1, 0}, EditingState{false, 0, 1, 128}})
    DrawCurrentUnit(scene, World, outside, 3, 4);
  EXPECT_EQ(scene.ComposedMap, before);
}

// What composing a marker leaves behind: the pixels of MarkerBitmap and its drawing state.
struct Composed {
  Surface pixels;
  Color pen, brush;
  CopyMode mode;
  bool operator==(const Composed&) const = default;
};

Composed Compose(Scene& scene, uint8_t kind, uint8_t player) {
  ComposeMarker(scene, kind, player);
  const Surface& m = scene.MarkerBitmap;
  return {m, m.PenColor, m.BrushColor, m.Mode};
}

// Markers are kept once composed. After each change of something they are made of, a scene that
// has composed every marker before must compose the same as a new scene with the same changes.
TEST(Markers, KeptMarkersFollowEveryChangeOfWhatTheyAreMadeOf) {
  const std::filesystem::path iconFile =
      std::filesystem::temp_directory_path() / ("render_icons_" + std::to_string(::getpid()) + ".bmp");
  Surface otherIcons = testing::Filled(300, 20, White);
  otherIcons.SetPixel(6, 6, Black);
  otherIcons.SetPixel(11 * 20 + 12, 10, Black);
  otherIcons.SaveBmp(iconFile);

  using Change = void (*)(Scene&, const std::filesystem::path&);
  const std::vector<std::pair<const char*, Change>> changes = {
      {"nothing", [](Scene&, const std::filesystem::path&) {}},
      {"a light player turned dark", [](Scene& s, const std::filesystem::path&) { s.Palette[1] = DarkBlue; }},
      {"a dark player turned light", [](Scene& s, const std::filesystem::path&) { s.Palette[2] = LightRed; }},
      {"an icon pixel", [](Scene& s, const std::filesystem::path&) { s.IconSheet.SetPixel(7, 7, Black); }},
      {"the mask alone", [](Scene& s, const std::filesystem::path&) { s.MaskSheet.SetPixel(7, 7, Black); }},
      {"a mine icon pixel", [](Scene& s, const std::filesystem::path&) { s.MineSheet.SetPixel(25, 5, Black); }},
      {"icons loaded, mask rebuilt",
       [](Scene& s, const std::filesystem::path& icons) {
         s.IconSheet.LoadBmp(icons);
         BuildMaskSheet(s);
       }},
      {"the transparent colour", [](Scene& s, const std::filesystem::path&) { s.MarkerBitmap.TransparentColor = MapGreen; }},
      {"the cell size",
       [](Scene& s, const std::filesystem::path&) {
         s.CellSize = 16;
         s.MarkerBitmap.SetSize(16, 16);
       }},
  };
  Scene warm = MarkerScene();
  for (size_t i = 0; i < changes.size(); ++i) {
    for (uint8_t player = 1; player <= 4; ++player)
      for (uint8_t kind = 0; kind <= 20; ++kind) ComposeMarker(warm, kind, player);
    changes[i].second(warm, iconFile);
    Scene fresh = MarkerScene();
    for (size_t j = 0; j <= i; ++j) changes[j].second(fresh, iconFile);
    for (uint8_t player = 1; player <= 4; ++player)
      for (uint8_t kind = 0; kind <= 20; ++kind) {
        const Composed expected = Compose(fresh, kind, player);
        EXPECT_EQ(Compose(warm, kind, player), expected)
            << "after " << changes[i].first << ": kind " << int(kind) << ", player " << int(player);
      }
  }
  std::filesystem::remove(iconFile);
}

TEST(Markers, RestorekletRedrawsOnlyTheLastUnitOnTheCell) {
  Scene scene = MarkerScene();
  world::TMap World;
  DrawUnit(scene, World, 1, 1, 3, 4);
  DrawUnit(scene, World, 2, 1, 9, 9);
  const Placed cell = DrawUnit(scene, World, 2, 12, 3, 4);
  DrawUnit(scene, World, 3, 1, 3, 4);  // beyond PlayerCount 2
  scene.ComposedMap.SetPixel(cell.at.px + 19, cell.at.py + 19, 0x010101);
  EditingState state{true, 5, 1, 1};

  Restoreklet(scene, World, 2, state, 3, 4);
  EXPECT_EQ(cell.Map(4, 10), MapGreen);  // the troop circles are gone
  EXPECT_EQ(cell.Map(5, 5), MapGreen);
  EXPECT_EQ(cell.Map(19, 19), MapGreen);
  EXPECT_EQ(cell.Map(7, 6), DarkBlue);  // player 2's building is back
  EXPECT_EQ(cell.Map(10, 9), Black);
  EXPECT_EQ(cell.Window(4, 10), MapGreen);
  EXPECT_EQ(state.CurrentPlayer, 1);
  EXPECT_EQ(state.CurrentUnit, 1);
  EXPECT_TRUE(state.Holding);
  EXPECT_EQ(state.SelectedKind, 5);

  const Placed other = DrawUnit(scene, World, 1, 1, 6, 6);
  World.players[1].count--;  // the unit has left the cell
  Restoreklet(scene, World, 2, state, 6, 6);
  EXPECT_EQ(other.Map(10, 10), MapGreen);
  EXPECT_EQ(other.Map(5, 5), MapGreen);
}

class TurnFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("render_turn_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path Write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::filesystem::path folder_;
};

TEST_F(TurnFolder, ReadingATurnDrawsItsUnitsInFileOrderAndAFailedReadDrawsNothing) {
  Scene scene = MarkerScene();
  world::TMap World;
  uint8_t PlayerCount = 27;
  EditingState state{false, 0, 9, 9};
  scene.ComposedMap.SetPixel(0, 0, 0x010101);
  // Player 1: troops (kind 1) at (3, 4) and (5, 6); player 2: a fortress (kind 11) at (3, 4).
  const auto turn = Write("turn.tvk",
                          "legend\r\n17\r\nPlayer\r\nAnna\r\n5 12\r\n\xE3 3 4,5 6,\r\nPlayer\r\n"
                          "Boris\r\n1 2\r\n\xCA 3 4,\r\nEND\r\n");
  ReadTurnFileAndDraw(scene, World, PlayerCount, state, turn);
  EXPECT_EQ(PlayerCount, 2);
  EXPECT_EQ(state.CurrentPlayer, 2);
  EXPECT_EQ(state.CurrentUnit, 1);
  EXPECT_EQ(scene.ComposedMap.PixelAt(0, 0), MapGreen);
  const Placed shared{scene, CellToPixel(scene, 3, 4)}, alone{scene, CellToPixel(scene, 5, 6)};
  EXPECT_EQ(alone.Map(10, 10), LightRed);
  EXPECT_EQ(shared.Map(8, 11), DarkBlue);  // drawn last, on top
  EXPECT_EQ(shared.Map(4, 10), LightRed);
  EXPECT_EQ(shared.Window(8, 11), DarkBlue);

  const Surface drawn = scene.ComposedMap;
  const EditingState stateBefore = state;
  const auto broken = Write("broken.tvk", "legend\r\nyear\r\nPlayer\r\nCarl\r\n1 1\r\nEND\r\n");
  for (const auto& path : {broken, folder_ / "missing.tvk"}) {
    EXPECT_THROW(ReadTurnFileAndDraw(scene, World, PlayerCount, state, path), world::FileError);
    EXPECT_EQ(scene.ComposedMap, drawn);
    EXPECT_EQ(PlayerCount, 2);
    EXPECT_EQ(World.players[1].name, "Anna");
    EXPECT_EQ(state.CurrentPlayer, stateBefore.CurrentPlayer);
  }
}

}  // namespace
}  // namespace render
