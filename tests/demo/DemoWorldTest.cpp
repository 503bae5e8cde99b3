// The bundled demo world: read without error by the program's own readers, and playing a game
// that moves from year to year. CheckDemoFiles.cmake runs the generator twice to see it write the
// same bytes each time, and `tirmagor-tool check` on the world's text files.

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <map>
#include <memory>

#include "AppIcons.h"
#include "DemoWorld.h"
#include "ScratchFolder.h"
#include "Epoch.h"
#include "render/Surface.h"
#include "world/LandFile.h"
#include "world/TurnFile.h"

namespace {

namespace fs = std::filesystem;

class DemoWorldTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = std::make_unique<test_support::ScratchFolder>();
    demo::WriteDemoWorld(*scratch_ / "world");
    demo::WriteAppIcons(*scratch_ / "icons");
  }
  static void TearDownTestSuite() { scratch_.reset(); }
  static fs::path File(const std::string& utf8Name) { return *scratch_ / "world" / demo::Utf8Path(utf8Name); }

  static inline std::unique_ptr<test_support::ScratchFolder> scratch_;
};

TEST_F(DemoWorldTest, EveryLandIsNamedAndThePicturesHaveTheirSizes) {
  auto map = std::make_unique<world::TMap>();
  uint8_t landCount = 0;
  ASSERT_NO_THROW(world::ReadLandFile(*map, landCount, File("orv.dat")));
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y)
      ASSERT_FALSE(map->lands[map->cells[x][y].land].name.empty()) << "unnamed: " << x << "," << y;

  std::map<std::string, render::Surface> pictures;
  for (const char* name : {"map.bmp", "osnova.bmp", "rudnici.bmp", "Рифленка.bmp"})
    EXPECT_NO_THROW(pictures[name].LoadBmp(File(name))) << name;
  const render::Surface &icons = pictures["osnova.bmp"], &mines = pictures["rudnici.bmp"];
  EXPECT_EQ(std::pair(icons.Width(), icons.Height()), std::pair(15 * 20, 20));
  EXPECT_EQ(std::pair(mines.Width(), mines.Height()), std::pair(4 * 20, 20));
  EXPECT_EQ(icons.PixelAt(1, 1), render::White) << "the markers' transparent colour";
  for (int size : {32, 64, 128, 256}) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    const fs::path icon = *scratch_ / "icons" / folder / "apps" / "tirmagor-editor.png";
    EXPECT_EQ(QImage(QString::fromStdString(icon.string())).size(), QSize(size, size)) << icon;
  }
}

TEST_F(DemoWorldTest, EpochReadsYearByYearAndItsArmiesMarchEveryYear) {
  std::string lastYearsTroops;
  for (int year = demo::EpochFirstYear; year <= demo::EpochLastYear; ++year) {
    auto turn = std::make_unique<world::TMap>();
    uint8_t playerCount = 0;
    const fs::path file = File("Год" + std::to_string(year) + ".tvk");
    ASSERT_NO_THROW(world::ReadTurnFile(*turn, playerCount, file)) << year;
    EXPECT_EQ(turn->Year, year);
    EXPECT_EQ(playerCount, demo::EpochPlayerCount);
    std::string troops;
    for (int p = 1; p <= playerCount; ++p)
      for (int u = 1; u <= turn->players[p].count; ++u) {
        const world::TUnit& unit = turn->players[p].units[u];
        if (world::IsTroop(unit.kind)) troops += std::to_string(unit.x) + "," + std::to_string(unit.y) + " ";
      }
    EXPECT_NE(troops, lastYearsTroops) << "no army moved in year " << year;
    lastYearsTroops = troops;
  }
}

}  // namespace
