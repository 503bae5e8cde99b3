// The bundled demo world: made the same way every time, read without error by the program's own
// readers, and showing what a newcomer should see in it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DemoWorld.h"
#include "Epoch.h"
#include "Geography.h"
#include "render/Markers.h"
#include "render/Surface.h"
#include "world/LandFile.h"
#include "world/Palette.h"
#include "world/TurnFile.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file under a folder, by its path relative to the folder, with its bytes.
std::map<std::string, std::string> FolderContents(const fs::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) contents[fs::relative(entry.path(), folder).string()] = ReadBytes(entry.path());
  return contents;
}

std::string YearFile(int year) { return "Год" + std::to_string(year) + ".tvk"; }

int CountKind(const world::TMap& map, uint8_t kind) {
  int count = 0;
  for (int p = 1; p <= demo::EpochPlayerCount; ++p)
    for (int u = 1; u <= map.players[p].count; ++u) count += map.players[p].units[u].kind == kind;
  return count;
}

class DemoWorldTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (fs::temp_directory_path() / "tirmagor-demo-XXXXXX").string();
    scratch_ = ::mkdtemp(pattern.data());
    demo::WriteDemoWorld(scratch_ / "world");
    demo::WriteAppIcons(scratch_ / "icons");
  }
  static void TearDownTestSuite() { fs::remove_all(scratch_); }

  static fs::path File(const std::string& utf8Name) { return scratch_ / "world" / demo::Utf8Path(utf8Name); }
  static render::Surface Picture(const std::string& utf8Name) {
    render::Surface picture;
    picture.LoadBmp(File(utf8Name));
    return picture;
  }
  static world::TMap LandWorld() {
    world::TMap map;
    uint8_t landCount = 0;
    world::ReadLandFile(map, landCount, File("orv.dat"));
    return map;
  }
  static std::vector<world::TMap> Epoch() {
    std::vector<world::TMap> years;
    for (int year = demo::EpochFirstYear; year <= demo::EpochLastYear; ++year) {
      auto map = std::make_unique<world::TMap>();
      uint8_t playerCount = 0;
      world::ReadTurnFile(*map, playerCount, File(YearFile(year)));
      EXPECT_EQ(playerCount, demo::EpochPlayerCount) << year;
      EXPECT_EQ(map->Year, year);
      years.push_back(*map);
    }
    return years;
  }

  static inline fs::path scratch_;
};

TEST_F(DemoWorldTest, GeneratorWritesTheSameFilesByteForByteEveryTime) {
  demo::WriteDemoWorld(scratch_ / "again");
  demo::WriteAppIcons(scratch_ / "icons-again");
  auto first = FolderContents(scratch_ / "world");
  EXPECT_EQ(first, FolderContents(scratch_ / "again"));
  EXPECT_EQ(FolderContents(scratch_ / "icons"), FolderContents(scratch_ / "icons-again"));

  std::set<std::string> expected = {"orv.dat", "map.bmp", "osnova.bmp", "rudnici.bmp", "Рифленка.bmp", "palitr.pal"};
  for (int year = demo::EpochFirstYear; year <= demo::EpochLastYear; ++year) expected.insert(YearFile(year));
  std::set<std::string> written;
  for (const auto& [name, bytes] : first) written.insert(name);
  EXPECT_EQ(written, expected);
  for (int size : {32, 64, 128, 256})
    EXPECT_TRUE(fs::exists(scratch_ / "icons" / (std::to_string(size) + "x" + std::to_string(size)) / "apps" / "tirmagor-editor.png"));
}

TEST_F(DemoWorldTest, LandFileCoversTheWholeMapWithNamedLandsAndAllFourCellMines) {
  std::string bytes = ReadBytes(File("orv.dat"));
  std::vector<std::string> lines;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "the last line ends with CR LF";
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  for (const std::string& line : lines) EXPECT_EQ(line.find_first_of("\r\n\x1A"), std::string::npos) << line;
  ASSERT_GT(lines.size(), 4u + world::MapHeight);
  EXPECT_EQ(lines[2], std::to_string(world::MapHeight));
  for (int y = 1; y <= world::MapHeight; ++y) {
    const std::string& row = lines[size_t(3 + y)];
    EXPECT_EQ(row.size(), size_t(world::MapWidth)) << "row " << y;
    EXPECT_EQ(row.find('\0'), std::string::npos) << "row " << y;
  }

  world::TMap map;
  uint8_t landCount = 0;
  world::ReadLandFile(map, landCount, File("orv.dat"));
  EXPECT_EQ(landCount, 255);
  std::set<int> mineKinds, landsWithIncome;
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y) {
      const world::TCell& cell = map.cells[x][y];
      ASSERT_NE(cell.land, 0) << x << "," << y;
      EXPECT_FALSE(map.lands[cell.land].name.empty()) << x << "," << y;
      if (map.lands[cell.land].income > 0) landsWithIncome.insert(cell.land);
      if (cell.mine != 0) mineKinds.insert(cell.mine);
    }
  EXPECT_GE(landsWithIncome.size(), 40u);
  EXPECT_EQ(mineKinds, (std::set<int>{1, 2, 3, 4}));
}

TEST_F(DemoWorldTest, IconSheetsAreBlackLinesOnWhiteThatTheMarkerShapesShowThrough) {
  render::Surface icons = Picture("osnova.bmp"), mines = Picture("rudnici.bmp");
  ASSERT_EQ(icons.Width(), 15 * 20);
  ASSERT_EQ(icons.Height(), 20);
  ASSERT_EQ(mines.Width(), 4 * 20);
  ASSERT_EQ(mines.Height(), 20);
  EXPECT_EQ(icons.PixelAt(1, 1), render::White) << "the markers' transparent colour";

  auto icon = [&](int kind, int x, int y) {
    return kind < world::FirstMineUnitKind ? icons.PixelAt((kind - 1) * 20 + x, y) : mines.PixelAt((kind - 16) * 20 + x, y);
  };
  for (int kind = 1; kind <= world::KindCount; ++kind) {
    int black = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        render::Color c = icon(kind, x, y);
        ASSERT_TRUE(c == render::Black || c == render::White) << "kind " << kind;
        if (c != render::Black) continue;
        ++black;
        if (world::IsTroop(kind)) {
          EXPECT_LE(std::hypot(x - 9.5, y - 9.5), 7.0) << "kind " << kind << " line outside its disc at " << x << "," << y;
        }
      }
    EXPECT_GE(black, 20) << "kind " << kind;
  }
  // The player's coloured block must show through the building's outline.
  struct Block {
    int kind, x1, y1, x2, y2;
  };
  for (Block b : {Block{11, 7, 10, 10, 13}, Block{12, 7, 6, 14, 13}, Block{13, 7, 6, 14, 13}, Block{14, 7, 6, 14, 13}, Block{15, 8, 8, 12, 12}}) {
    int white = 0;
    for (int y = b.y1; y < b.y2; ++y)
      for (int x = b.x1; x < b.x2; ++x) white += icon(b.kind, x, y) == render::White;
    EXPECT_GE(white * 2, (b.x2 - b.x1) * (b.y2 - b.y1)) << "kind " << b.kind;
  }
}

TEST_F(DemoWorldTest, MapPictureHoldsTheWholeGridColouredFromTheLandFile) {
  render::Surface map = Picture("map.bmp");
  ASSERT_GE(map.Width(), 110 * 20 + 40);  // cell (110, 76) ends at 2240 x 1538
  ASSERT_GE(map.Height(), 75 * 20 + 18 + 20);
  demo::Geography geography = demo::MakeGeography();
  world::TMap lands = LandWorld();

  // The colour most of a cell's inside has; grid lines, borders and names are few pixels.
  auto cellColor = [&](int x, int y) {
    std::map<render::Color, int> counts;
    for (int j = 2; j < 18; ++j)
      for (int i = 2; i < 18; ++i) ++counts[map.PixelAt(20 * x + 20 + i, 20 * (y - 1) + 18 + j)];
    return std::max_element(counts.begin(), counts.end(), [](auto a, auto b) { return a.second < b.second; })->first;
  };
  std::map<uint8_t, render::Color> colorOfLand;
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y) {
      uint8_t land = lands.cells[x][y].land;
      render::Color c = cellColor(x, y);
      bool bluish = world::BlueOf(c) > world::RedOf(c) + 30;
      EXPECT_EQ(bluish, geography.IsSea(x, y)) << "cell " << x << "," << y;
      if (geography.IsSea(x, y)) continue;  // shallows are lighter than open water
      auto [known, isNew] = colorOfLand.emplace(land, c);
      EXPECT_EQ(known->second, c) << "land " << land << " has one colour; cell " << x << "," << y;
      if (x > 1 && lands.cells[x - 1][y].land != land && !geography.IsSea(x - 1, y)) {
        EXPECT_NE(cellColor(x - 1, y), c) << "neighbouring lands at " << x << "," << y;
      }
    }
}

TEST_F(DemoWorldTest, LegendShowsEveryKindsIcon) {
  render::Surface legend = Picture("Рифленка.bmp"), icons = Picture("osnova.bmp"), mines = Picture("rudnici.bmp");
  EXPECT_GE(legend.Width(), 400);
  EXPECT_LE(legend.Width(), 800);
  EXPECT_GE(legend.Height(), 300);
  EXPECT_LE(legend.Height(), 600);
  auto showsAt = [&](const render::Surface& sheet, int left, int x, int y) {
    for (int j = 0; j < 20; ++j)
      for (int i = 0; i < 20; ++i)
        if (legend.PixelAt(x + i, y + j) != sheet.PixelAt(left + i, j)) return false;
    return true;
  };
  for (int kind = 1; kind <= world::KindCount; ++kind) {
    const render::Surface& sheet = world::IsMineUnit(kind) ? mines : icons;
    int left = (world::IsMineUnit(kind) ? kind - 16 : kind - 1) * 20;
    bool found = false;
    for (int y = 0; y + 20 <= legend.Height() && !found; ++y)
      for (int x = 0; x + 20 <= legend.Width() && !found; ++x) found = showsAt(sheet, left, x, y);
    EXPECT_TRUE(found) << "kind " << kind;
  }
}

TEST_F(DemoWorldTest, SecondPaletteReadsAndHasLightAndDarkColours) {
  world::TPalette palette{}, defaults{};
  world::DefaultPalette(palette);
  world::DefaultPalette(defaults);
  world::ReadPaletteFile(palette, File("palitr.pal"));
  EXPECT_NE(palette, defaults);
  int light = 0;
  for (int p = 1; p <= world::MaxPlayers; ++p) light += render::IsLightColor(palette[p]);
  EXPECT_GT(light, 5);
  EXPECT_LT(light, 22);
}

TEST_F(DemoWorldTest, EpochPlaysTheGameForwardYearByYear) {
  std::vector<world::TMap> years = Epoch();
  ASSERT_EQ(years.size(), size_t(demo::EpochLastYear - demo::EpochFirstYear + 1));
  demo::Geography geography = demo::MakeGeography();

  std::set<std::string> names;
  for (int p = 1; p <= demo::EpochPlayerCount; ++p) {
    const std::string& name = years.front().players[p].name;
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), size_t(world::MaxNameLength));
    names.insert(name);
  }
  EXPECT_EQ(names.size(), size_t(demo::EpochPlayerCount));

  using Owners = std::map<std::pair<int, int>, int>;  // mine unit cell -> player
  auto troopCells = [](const world::TMap& map) {
    std::multiset<std::pair<int, int>> cells;
    for (int p = 1; p <= demo::EpochPlayerCount; ++p)
      for (int u = 1; u <= map.players[p].count; ++u)
        if (world::IsTroop(map.players[p].units[u].kind)) cells.insert({map.players[p].units[u].x, map.players[p].units[u].y});
    return cells;
  };
  auto mineOwners = [](const world::TMap& map) {
    Owners owners;
    for (int p = 1; p <= demo::EpochPlayerCount; ++p)
      for (int u = 1; u <= map.players[p].count; ++u)
        if (world::IsMineUnit(map.players[p].units[u].kind)) owners[{map.players[p].units[u].x, map.players[p].units[u].y}] = p;
    return owners;
  };

  for (const world::TMap& map : years)
    for (int p = 1; p <= demo::EpochPlayerCount; ++p)
      for (int u = 1; u <= map.players[p].count; ++u) {
        const world::TUnit& unit = map.players[p].units[u];
        ASSERT_TRUE(world::IsOnMap(unit.x, unit.y)) << "year " << map.Year << " player " << p;
        bool onSea = geography.IsSea(unit.x, unit.y);
        EXPECT_EQ(onSea, unit.kind == 10) << "year " << map.Year << " kind " << int(unit.kind) << " at " << int(unit.x) << "," << int(unit.y);
        if (unit.kind >= 17) {
          EXPECT_EQ(geography.world.cells[unit.x][unit.y].mine, unit.kind - 16) << "a metal mine on its deposit";
        }
      }

  int handovers = 0;
  for (size_t i = 1; i < years.size(); ++i) {
    EXPECT_NE(troopCells(years[i]), troopCells(years[i - 1])) << "armies march in year " << years[i].Year;
    Owners before = mineOwners(years[i - 1]), after = mineOwners(years[i]);
    bool changed = std::any_of(after.begin(), after.end(), [&](const auto& mine) {
      auto old = before.find(mine.first);
      return old != before.end() && old->second != mine.second;
    });
    handovers += changed;
  }
  EXPECT_GE(handovers, 15) << "years in which a mine changed hands";
  for (uint8_t kind : {uint8_t(12), uint8_t(13)})
    EXPECT_GT(CountKind(years.back(), kind), CountKind(years.front(), kind) * 2) << "kind " << int(kind) << " grows";
}

}  // namespace
