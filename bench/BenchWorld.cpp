#include "BenchWorld.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include "render/Surface.h"
#include "world/Cp1251.h"
#include "world/TMap.h"
#include "world/TurnFile.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

constexpr int CellSize = 20;

// Every byte that can stand first on a line of the land file: CR ends a line, Ctrl+Z the file,
// and an LF right after a line end belongs to it, so those three cannot be land keys.
std::vector<uint8_t> LandKeys() {
  std::vector<uint8_t> keys;
  for (int code = 1; code <= 255; ++code)
    if (code != 10 && code != 13 && code != 26) keys.push_back(uint8_t(code));
  return keys;
}

// Lands are blocks of 6 by 5 cells, numbered across the map.
uint8_t LandOfCell(const std::vector<uint8_t>& keys, int x, int y) {
  const int block = ((y - 1) / 5) * 19 + (x - 1) / 6;
  return keys[size_t(block) % keys.size()];
}

render::Color LandColor(uint8_t land) {
  return world::Rgb(uint8_t(60 + land * 37 % 150), uint8_t(90 + land * 53 % 140), uint8_t(30 + land * 19 % 90));
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteLandFile(const fs::path& path) {
  const std::vector<uint8_t> keys = LandKeys();
  std::string text = "Tirmagor benchmark world\r\n\r\n76\r\n\r\n";
  for (int y = 1; y <= world::MapHeight; ++y) {
    for (int x = 1; x <= world::MapWidth; ++x) text += char(LandOfCell(keys, x, y));
    text += "\r\n";
  }
  for (int kind = 1; kind <= 4; ++kind) {
    text += std::to_string(kind) + " ";
    for (int i = 0; i < 30; ++i)
      text += std::to_string(1 + (i * 37 + kind * 11) % world::MapWidth) + " " +
              std::to_string(1 + (i * 23 + kind * 7) % world::MapHeight) + ",";
    text += "\r\n";
  }
  text += "lands\r\n";
  for (uint8_t key : keys) {
    text += char(key);
    text += "\r\n" + world::Utf8ToCp1251("Земля номер " + std::to_string(key)) + "\r\n";
    text += std::to_string(int(key) * 7 % 50 - 10) + "\r\n";
  }
  WriteFile(path, text);
}

// Each cell in its land's colour with a little texture; the margins are sea.
void WriteMapPicture(const fs::path& path) {
  const std::vector<uint8_t> keys = LandKeys();
  render::Surface map;
  map.SetSize(MapPictureWidth, MapPictureHeight);
  for (int py = 0; py < MapPictureHeight; ++py) {
    render::Color* row = map.Row(py);
    const int y = (py - 18) / CellSize + 1;
    for (int px = 0; px < MapPictureWidth; ++px) {
      const int x = (px - 20) / CellSize;
      const bool onMap = px >= 40 && py >= 18 && x >= 1 && x <= world::MapWidth && y >= 1 && y <= world::MapHeight;
      const render::Color base = onMap ? LandColor(LandOfCell(keys, x, y)) : world::Rgb(40, 70, 160);
      row[px] = base ^ render::Color((px * 7 + py * 13) % 8);
    }
  }
  map.SaveBmp(path);
}

// White squares with black line art that differs from icon to icon, and a coloured detail.
void WriteIconSheet(const fs::path& path, int icons) {
  render::Surface sheet;
  sheet.SetSize(icons * CellSize, CellSize);
  sheet.Fill(render::White);
  for (int k = 0; k < icons; ++k) {
    const int left = k * CellSize, inset = 3 + k % 4;
    sheet.PenColor = render::Black;
    sheet.BrushColor = render::White;
    sheet.DrawRectangle(left + inset, inset, left + CellSize - inset, CellSize - inset);
    for (int i = inset; i < CellSize - inset; ++i) sheet.SetPixel(left + i, (i * (k + 2)) % CellSize, render::Black);
    sheet.SetPixel(left + 10, 10, world::Rgb(uint8_t(40 * k), 0x80, 0xC0));
  }
  sheet.SaveBmp(path);
}

void WriteEpoch(const fs::path& folder) {
  world::TMap World;
  std::mt19937 random(20261206);
  auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int p = 1; p <= world::MaxPlayers; ++p) {
    world::TPlayer& player = World.players[p];
    player.name = world::Utf8ToCp1251("Игрок " + std::to_string(p));
    player.num1 = uint8_t(p);
    player.num2 = uint8_t(between(0, 255));
    player.count = world::MaxUnits;
    for (int u = 1; u <= world::MaxUnits; ++u)
      player.units[u] = {uint8_t(between(1, world::MapWidth)), uint8_t(between(1, world::MapHeight)),
                         uint8_t(1 + (u + p) % world::KindCount)};
  }
  for (int year = 1; year <= Years; ++year) {
    World.Year = year;
    world::WriteTurnFile(World, world::MaxPlayers, fs::path(folder.string() + "/Год" + std::to_string(year) + ".tvk"));
    // Every unit takes a step, so that each year's picture differs from the last.
    for (int p = 1; p <= world::MaxPlayers; ++p)
      for (int u = 1; u <= world::MaxUnits; ++u) {
        world::TUnit& unit = World.players[p].units[u];
        unit.x = uint8_t(std::clamp(unit.x + between(-1, 1), 1, world::MapWidth));
        unit.y = uint8_t(std::clamp(unit.y + between(-1, 1), 1, world::MapHeight));
      }
  }
}

}  // namespace

BenchWorld::BenchWorld() {
  root_ = fs::temp_directory_path() / ("tirmagor-bench-" + std::to_string(::getpid()));
  fs::remove_all(root_);
  startupDir_ = root_ / "world";
  epochDir_ = root_ / "epoch";
  outputDir_ = root_ / "out";
  fs::create_directories(outputDir_);
  WriteBenchWorld(startupDir_, epochDir_);
}

void WriteBenchWorld(const fs::path& startupDir, const fs::path& epochDir) {
  for (const fs::path& folder : {startupDir, epochDir}) fs::create_directories(folder);
  WriteLandFile(startupDir / "orv.dat");
  WriteMapPicture(startupDir / "map.bmp");
  WriteIconSheet(startupDir / "osnova.bmp", 15);
  WriteIconSheet(startupDir / "rudnici.bmp", 4);
  WriteEpoch(epochDir);
}

BenchWorld::~BenchWorld() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string BenchWorld::EpochDir() const { return epochDir_.string() + "/"; }

fs::path BenchWorld::TurnFile(int year) const {
  return fs::path(EpochDir() + "Год" + std::to_string(year) + ".tvk");
}

fs::path BenchWorld::TiledMap(int year) const {
  const fs::path folder = outputDir_ / "tiled";
  const fs::path map = folder / ("year" + std::to_string(year) + ".tmx");
  if (fs::exists(map)) return map;
  fs::create_directories(folder);
  constexpr int Width = world::MapWidth, Height = world::MapHeight;
  // The cells 1..110 by 1..76 of the map picture, from its pixel (40, 18), as one tileset; and the
  // 19 icons of the two sheets as another.
  if (!fs::exists(folder / "map.png")) {
    render::Surface picture, tiles, osnova, rudnici, icons;
    picture.LoadBmp(startupDir_ / "map.bmp");
    tiles.SetSize(Width * CellSize, Height * CellSize);
    tiles.CopyArea({0, 0, tiles.Width(), tiles.Height()}, picture, {40, 18, 40 + tiles.Width(), 18 + tiles.Height()});
    tiles.SavePng(folder / "map.png");
    osnova.LoadBmp(startupDir_ / "osnova.bmp");
    rudnici.LoadBmp(startupDir_ / "rudnici.bmp");
    icons.SetSize(world::KindCount * CellSize, CellSize);
    icons.DrawSurface(0, 0, osnova);
    icons.DrawSurface(osnova.Width(), 0, rudnici);
    icons.SavePng(folder / "icons.png");
  }
  world::TMap World;
  uint8_t playerCount = 0;
  world::ReadTurnFile(World, playerCount, TurnFile(year));
  std::string tmx = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<map version=\"1.8\" orientation=\"orthogonal\" renderorder=\"right-down\" width=\"110\" "
                    "height=\"76\" tilewidth=\"20\" tileheight=\"20\" infinite=\"0\" nextlayerid=\"3\" nextobjectid=\"1\">\n"
                    " <tileset firstgid=\"1\" name=\"map\" tilewidth=\"20\" tileheight=\"20\" tilecount=\"8360\" columns=\"110\">\n"
                    "  <image source=\"map.png\" width=\"2200\" height=\"1520\"/>\n </tileset>\n"
                    " <tileset firstgid=\"8361\" name=\"icons\" tilewidth=\"20\" tileheight=\"20\" tilecount=\"19\" columns=\"19\">\n"
                    "  <image source=\"icons.png\" width=\"380\" height=\"20\"/>\n </tileset>\n"
                    " <layer id=\"1\" name=\"map\" width=\"110\" height=\"76\">\n  <data encoding=\"csv\">\n";
  for (int tile = 1; tile <= Width * Height; ++tile) tmx += std::to_string(tile) + (tile < Width * Height ? "," : "\n");
  tmx += "  </data>\n </layer>\n <objectgroup id=\"2\" name=\"units\">\n";
  int id = 0;
  for (int p = 1; p <= playerCount; ++p)
    for (int u = 1; u <= World.players[p].count; ++u) {
      const world::TUnit& unit = World.players[p].units[u];
      // A tile object stands on its bottom-left corner.
      tmx += "  <object id=\"" + std::to_string(++id) + "\" gid=\"" + std::to_string(8360 + unit.kind) + "\" x=\"" +
             std::to_string((unit.x - 1) * CellSize) + "\" y=\"" + std::to_string(unit.y * CellSize) +
             "\" width=\"20\" height=\"20\"/>\n";
    }
  tmx += " </objectgroup>\n</map>\n";
  std::ofstream(map, std::ios::binary) << tmx;
  return map;
}

}  // namespace bench
