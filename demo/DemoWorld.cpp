#include "DemoWorld.h"

#include <array>
#include <fstream>
#include <stdexcept>
#include <string>

#include "Epoch.h"
#include "Geography.h"
#include "Pictures.h"
#include "PixelFont.h"
#include "world/Cp1251.h"
#include "world/TurnFile.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

// A second set of player colours, heraldic rather than bright, light and dark mixed.
constexpr std::array<std::array<int, 3>, EpochPlayerCount> HeraldicPalette = {{
    {160, 30, 40},  {30, 60, 140},  {230, 190, 60}, {40, 110, 60},  {120, 60, 140}, {220, 120, 40},
    {90, 90, 100},  {200, 200, 210}, {20, 20, 20},  {170, 210, 240}, {130, 80, 30}, {240, 150, 170},
    {0, 120, 130},  {190, 230, 120}, {100, 20, 60}, {250, 240, 200}, {60, 40, 20},  {150, 170, 60},
    {80, 140, 220}, {210, 60, 120}, {140, 140, 60}, {0, 70, 40},    {250, 210, 150}, {70, 0, 110},
    {180, 100, 90}, {120, 200, 190}, {255, 255, 255},
}};

class TextFile {
 public:
  explicit TextFile(const fs::path& path) : path_(path), out_(path, std::ios::binary | std::ios::trunc) {
    if (!out_) throw std::runtime_error("cannot create " + path.string());
  }
  // One line of Windows-1251 text from UTF-8, ended by CR LF.
  void Line(std::string_view utf8) { Bytes(world::Utf8ToCp1251(utf8)); }
  void Bytes(std::string_view bytes) {
    out_ << bytes << "\r\n";
  }
  void Close() {
    out_.close();
    if (!out_) throw std::runtime_error("cannot write " + path_.string());
  }

 private:
  fs::path path_;
  std::ofstream out_;
};

void WriteLandFile(const Geography& geography, const fs::path& path) {
  TextFile file(path);
  file.Line("Тирмагор: земли и рудники демонстрационного мира");
  file.Line("Третья строка: число строк карты; в каждой строке по знаку на клетку, знак - ключ земли");
  file.Line(std::to_string(world::MapHeight));
  file.Line("Карта");
  for (int y = 1; y <= world::MapHeight; ++y) {
    std::string row;
    for (int x = 1; x <= world::MapWidth; ++x) row += char(geography.world.cells[x][y].land);
    file.Bytes(row);
  }
  constexpr std::array<const char*, world::MineKindCount + 1> MineLabels = {"", "С ", "З ", "М ", "Д "};
  for (int kind = 1; kind <= world::MineKindCount; ++kind) {
    std::string line = world::Utf8ToCp1251(MineLabels[size_t(kind)]);
    for (int y = 1; y <= world::MapHeight; ++y)
      for (int x = 1; x <= world::MapWidth; ++x)
        if (geography.world.cells[x][y].mine == kind) line += std::to_string(x) + " " + std::to_string(y) + ",";
    file.Bytes(line);
  }
  file.Line("Земли: ключ, название, доход");
  for (const Region& region : geography.regions) {
    file.Bytes(std::string(1, char(region.key)));
    file.Bytes(geography.world.lands[region.key].name);
    file.Line(std::to_string(region.income));
  }
  file.Close();
}

void WritePaletteFile(const fs::path& path) {
  TextFile file(path);
  for (const auto& [red, green, blue] : HeraldicPalette)
    file.Line(std::to_string(red) + " " + std::to_string(green) + " " + std::to_string(blue));
  file.Close();
}

}  // namespace

fs::path Utf8Path(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

void WriteDemoWorld(const fs::path& folder) {
  fs::create_directories(folder);
  PixelFont font;
  Geography geography = MakeGeography();
  WriteLandFile(geography, folder / "orv.dat");
  render::Surface iconSheet = MakeIconSheet(1, world::FirstMineUnitKind - 1);
  render::Surface mineSheet = MakeIconSheet(world::FirstMineUnitKind, world::KindCount - world::FirstMineUnitKind + 1);
  iconSheet.SaveBmp(folder / "osnova.bmp");
  mineSheet.SaveBmp(folder / "rudnici.bmp");
  MakeMapPicture(geography, font).SaveBmp(folder / "map.bmp");
  MakeLegend(font, iconSheet, mineSheet).SaveBmp(folder / Utf8Path("Рифленка.bmp"));
  for (const world::TMap& year : PlayEpoch(geography))
    world::WriteTurnFile(year, EpochPlayerCount, folder / Utf8Path("Год" + std::to_string(year.Year) + ".tvk"));
  WritePaletteFile(folder / "palitr.pal");
}

}  // namespace demo
